// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/plotfeed/BinaryFrameForm.h"

#include "core/MessageBox.h"
#include "ui/Fonts.h"
#include "ui/WindowKeys.h"
#include "ui/WindowPlacement.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QTimer>

namespace
{

constexpr int LabelLeft = 8;
constexpr int LabelWidth = 92;
constexpr int InputLeft = 104;
constexpr int InputWidth = 180;
constexpr int RowHeight = 22;

QLabel *MakeRowLabel(QWidget *parent, const QString &caption, QWidget *input, int top)
{
    auto *label = new QLabel(caption, parent);
    label->setGeometry(LabelLeft, top, LabelWidth, RowHeight);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setBuddy(input);
    input->setGeometry(InputLeft, top, InputWidth, RowHeight);
    return label;
}

QComboBox *MakeList(QWidget *parent, const QStringList &items)
{
    auto *list = new QComboBox(parent);
    list->setEditable(false);
    list->addItems(items);
    return list;
}

QString CountText(uint64_t count)
{
    return QString::number(count);
}

} // namespace

TBinaryFrameForm::TBinaryFrameForm(std::string settingsPath, TBinaryFrameHooks hooks, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , FSettingsPath(std::move(settingsPath))
    , FHooks(std::move(hooks))
{
    setWindowTitle(QStringLiteral("二进制帧"));
    setFixedSize(296, 506);
    setFont(SongFont(12));

    EnabledBox = new QCheckBox(QStringLiteral("启用二进制帧"), this);
    EnabledBox->setGeometry(InputLeft, 12, InputWidth, RowHeight);

    HeaderEdit = new QLineEdit(this);
    HeaderEdit->setPlaceholderText(QStringLiteral("AA 55"));
    HeaderLabel = MakeRowLabel(this, QStringLiteral("帧头："), HeaderEdit, 41);

    ChannelsBox = new QSpinBox(this);
    ChannelsBox->setRange(1, TFrameFormat::MaxChannels);
    ChannelsLabel = MakeRowLabel(this, QStringLiteral("通道数："), ChannelsBox, 70);

    TypeList = MakeList(this, { "uint8", "int8", "uint16", "int16", "uint32", "int32", "float32", "float64" });
    TypeLabel = MakeRowLabel(this, QStringLiteral("数据类型："), TypeList, 99);

    OrderList = MakeList(this, { QStringLiteral("小端"), QStringLiteral("大端") });
    OrderLabel = MakeRowLabel(this, QStringLiteral("字节序："), OrderList, 128);

    LengthList = MakeList(
        this, { QStringLiteral("固定"), QStringLiteral("帧头后 1 字节长度"), QStringLiteral("帧头后 2 字节长度") });
    LengthLabel = MakeRowLabel(this, QStringLiteral("帧长："), LengthList, 157);

    ChecksumList = MakeList(this,
        { QStringLiteral("无"), QStringLiteral("累加和"), QStringLiteral("异或"), "CRC-16/MODBUS", "CRC-16/CCITT-FALSE",
            "CRC-32" });
    ChecksumLabel = MakeRowLabel(this, QStringLiteral("校验："), ChecksumList, 186);

    ChecksumScopeList = MakeList(this, { QStringLiteral("长度和数据"), QStringLiteral("仅数据") });
    ChecksumScopeLabel = MakeRowLabel(this, QStringLiteral("校验范围："), ChecksumScopeList, 215);

    ChecksumOrderList = MakeList(this, { QStringLiteral("同帧"), QStringLiteral("大端"), QStringLiteral("小端") });
    ChecksumOrderLabel = MakeRowLabel(this, QStringLiteral("校验字节序："), ChecksumOrderList, 244);

    // The counters, read from the decoder while the window shows.
    GoodFramesValue = new QLabel(QStringLiteral("0"), this);
    GoodFramesLabel = MakeRowLabel(this, QStringLiteral("正确帧："), GoodFramesValue, 280);
    ChecksumErrorsValue = new QLabel(QStringLiteral("0"), this);
    ChecksumErrorsLabel = MakeRowLabel(this, QStringLiteral("校验错误："), ChecksumErrorsValue, 304);
    LengthErrorsValue = new QLabel(QStringLiteral("0"), this);
    LengthErrorsLabel = MakeRowLabel(this, QStringLiteral("长度错误："), LengthErrorsValue, 328);
    SkippedBytesValue = new QLabel(QStringLiteral("0"), this);
    SkippedBytesLabel = MakeRowLabel(this, QStringLiteral("丢弃字节："), SkippedBytesValue, 352);
    for (QLabel *value : { GoodFramesValue, ChecksumErrorsValue, LengthErrorsValue, SkippedBytesValue }) {
        value->resize(100, RowHeight);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    ClearCountsButton = new QPushButton(QStringLiteral("清零"), this);
    ClearCountsButton->setGeometry(209, 304, 75, 25);

    FlowNotice = new QLabel(
        QStringLiteral("流控制为 XON/XOFF：0x11 和 0x13 字节被流控制占用，含有这些字节的帧会损坏。"), this);
    FlowNotice->setGeometry(LabelLeft, 384, 280, 40);
    FlowNotice->setWordWrap(true);
    FlowSwitchButton = new QPushButton(QStringLiteral("将流控制改为“无”"), this);
    FlowSwitchButton->setGeometry(LabelLeft, 426, 150, 25);

    OkButton = new QPushButton(QStringLiteral("确定"), this);
    OkButton->setGeometry(30, 468, 75, 27);
    ApplyButton = new QPushButton(QStringLiteral("应用"), this);
    ApplyButton->setGeometry(111, 468, 75, 27);
    CancelButton = new QPushButton(QStringLiteral("取消"), this);
    CancelButton->setGeometry(192, 468, 75, 27);

    CountsTimer = new QTimer(this);
    CountsTimer->setInterval(CountsInterval);

    connect(OkButton, &QPushButton::clicked, this, &TBinaryFrameForm::OkClick);
    connect(ApplyButton, &QPushButton::clicked, this, &TBinaryFrameForm::ApplyClick);
    connect(CancelButton, &QPushButton::clicked, this, &TBinaryFrameForm::CancelClick);
    // Return in the header box confirms, as "确定" does.
    connect(HeaderEdit, &QLineEdit::returnPressed, this, &TBinaryFrameForm::OkClick);
    connect(ClearCountsButton, &QPushButton::clicked, this, &TBinaryFrameForm::ClearCountsClick);
    connect(FlowSwitchButton, &QPushButton::clicked, this, &TBinaryFrameForm::SwitchFlowClick);
    connect(LengthList, &QComboBox::currentIndexChanged, this, &TBinaryFrameForm::RefreshChecksumChoices);
    connect(ChecksumList, &QComboBox::currentIndexChanged, this, &TBinaryFrameForm::RefreshChecksumChoices);
    connect(CountsTimer, &QTimer::timeout, this, [this] {
        RefreshCounts();
        RefreshFlowNotice();
    });
    AddDialogKeys(this);
}

void TBinaryFrameForm::ShowSettings(const TBinaryFrameSettings &settings)
{
    const TFrameFormat &format = settings.Format;
    EnabledBox->setChecked(settings.Enabled);
    HeaderEdit->setText(QString::fromStdString(FrameHeaderHex(format.Header, " ")));
    ChannelsBox->setValue(format.Channels);
    TypeList->setCurrentIndex(static_cast<int>(format.Type));
    OrderList->setCurrentIndex(static_cast<int>(format.Order));
    LengthList->setCurrentIndex(static_cast<int>(format.Length));
    ChecksumList->setCurrentIndex(static_cast<int>(format.Checksum));
    ChecksumScopeList->setCurrentIndex(static_cast<int>(format.ChecksumScope));
    ChecksumOrderList->setCurrentIndex(static_cast<int>(format.ChecksumOrder));
    RefreshChecksumChoices();
}

void TBinaryFrameForm::FormShow()
{
    ShowSettings(ReadBinaryFrameSettings(FSettingsPath));
    RefreshCounts();
    RefreshFlowNotice();
}

std::optional<TBinaryFrameSettings> TBinaryFrameForm::ChosenSettings()
{
    std::optional<std::string> header = ParseFrameHeader(HeaderEdit->text().toStdString());
    if (!header) {
        ShowMessageBox("帧头须为 0 到 8 个字节的十六进制数，如 AA 55", "提示", mbIconExclamation);
        HeaderEdit->setFocus();
        HeaderEdit->selectAll();
        return std::nullopt;
    }
    TBinaryFrameSettings settings;
    settings.Enabled = EnabledBox->isChecked();
    settings.Format.Header = std::move(*header);
    settings.Format.Channels = ChannelsBox->value();
    settings.Format.Type = static_cast<TSampleType>(TypeList->currentIndex());
    settings.Format.Order = static_cast<TByteOrder>(OrderList->currentIndex());
    settings.Format.Length = static_cast<TFrameLength>(LengthList->currentIndex());
    settings.Format.Checksum = static_cast<TChecksumKind>(ChecksumList->currentIndex());
    settings.Format.ChecksumScope = static_cast<TChecksumScope>(ChecksumScopeList->currentIndex());
    settings.Format.ChecksumOrder = static_cast<TChecksumOrder>(ChecksumOrderList->currentIndex());
    return settings;
}

bool TBinaryFrameForm::ApplyClick()
{
    std::optional<TBinaryFrameSettings> settings = ChosenSettings();
    if (!settings)
        return false;
    // The header as it will be read back, so that the box shows what is in effect.
    HeaderEdit->setText(QString::fromStdString(FrameHeaderHex(settings->Format.Header, " ")));
    // A settings file that cannot be written still lets the choice work for this run.
    if (!WriteBinaryFrameSettings(FSettingsPath, *settings))
        ShowMessageBox("二进制帧设置保存失败，仅本次运行有效", "提示", mbIconExclamation);
    if (FHooks.Apply)
        FHooks.Apply(*settings);
    RefreshCounts();
    return true;
}

void TBinaryFrameForm::OkClick()
{
    if (ApplyClick())
        hide();
}

void TBinaryFrameForm::CancelClick()
{
    hide();
}

void TBinaryFrameForm::ClearCountsClick()
{
    if (FHooks.ResetCounts)
        FHooks.ResetCounts();
    RefreshCounts();
}

void TBinaryFrameForm::SwitchFlowClick()
{
    if (FHooks.SwitchFlowToNone)
        FHooks.SwitchFlowToNone();
    RefreshFlowNotice();
}

void TBinaryFrameForm::RefreshCounts()
{
    const TDecoderCounts counts = FHooks.Counts ? FHooks.Counts() : TDecoderCounts {};
    GoodFramesValue->setText(CountText(counts.Taken));
    ChecksumErrorsValue->setText(CountText(counts.ChecksumErrors));
    LengthErrorsValue->setText(CountText(counts.Rejected));
    SkippedBytesValue->setText(CountText(counts.SkippedBytes));
}

void TBinaryFrameForm::RefreshChecksumChoices()
{
    const auto checksum = static_cast<TChecksumKind>(ChecksumList->currentIndex());
    const bool lengthField = static_cast<TFrameLength>(LengthList->currentIndex()) != TFrameLength::Fixed;
    ChecksumScopeList->setEnabled(lengthField && checksum != TChecksumKind::None);
    ChecksumOrderList->setEnabled(ChecksumSize(checksum) > 1);
}

void TBinaryFrameForm::RefreshFlowNotice()
{
    const bool xonXoff = FHooks.FlowIsXonXoff && FHooks.FlowIsXonXoff();
    FlowNotice->setVisible(xonXoff);
    FlowSwitchButton->setVisible(xonXoff);
}

void TBinaryFrameForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    FormShow();
    CountsTimer->start();
    if (!FPlaced) {
        FPlaced = true;
        CentreOnScreen(this);
    }
}

void TBinaryFrameForm::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        CountsTimer->stop();
}
