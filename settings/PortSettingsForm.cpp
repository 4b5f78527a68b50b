// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/PortSettingsForm.h"

#include "core/MessageBox.h"
#include "platform/PortListWatch.h"
#include "settings/FlowControl.h"
#include "settings/PortSettings.h"
#include "ui/Fonts.h"
#include "ui/WindowKeys.h"
#include "ui/WindowPlacement.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QHideEvent>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QStringList>
#include <stdexcept>

namespace
{

QComboBox *MakeList(QWidget *parent, const QStringList &items, const QString &chosen)
{
    auto *list = new QComboBox(parent);
    list->setEditable(false);
    list->addItems(items);
    list->setCurrentIndex(list->findText(chosen));
    return list;
}

// Chooses the item showing text, adding it at the end when the list has none.
void ChooseOrAdd(QComboBox *list, const QString &text)
{
    int index = list->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0) {
        list->addItem(text);
        index = list->count() - 1;
    }
    list->setCurrentIndex(index);
}

} // namespace

TForm1::TForm1(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , FSettingsPath(SettingsFilePath())
    , FPortRoots(SystemSerialPortRoots())
{
    setWindowTitle(QStringLiteral("串口设置"));
    // One row taller than the six line settings need, for the flow control.
    setFixedSize(221, 259);
    setFont(SongFont(12));

    ComboBox1
        = MakeList(this, { "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8", "COM9", "COM10" }, "COM1");
    // A port named for this run (--port) is the port in use: it stands in the list and is chosen, so that saving the
    // other settings keeps it instead of switching to COM1.
    if (!PortForThisRun().empty())
        ChooseOrAdd(ComboBox1, QFile::decodeName(QByteArray::fromStdString(PortForThisRun())));
    // A name can be typed as well as picked; a typed name is used as it is and never becomes an item.
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    for (int i = 0; i < ComboBox1->count(); ++i)
        FPortItems.push_back({ ComboBox1->itemText(i).toStdString(), "", false });
    ComboBox2 = MakeList(this,
        { "110", "300", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200", "230400", "460800",
            "921600" },
        "9600");
    ComboBox3 = MakeList(this, { "5", "6", "7", "8" }, "8");
    ComboBox4 = MakeList(this,
        { QStringLiteral("偶校验"), QStringLiteral("奇校验"), QStringLiteral("无"), QStringLiteral("标记"),
            QStringLiteral("空格") },
        QStringLiteral("无"));
    ComboBox5 = MakeList(this, { "1.5", "1", "2" }, "1");
    ComboBox6 = MakeList(this, { QStringLiteral("否"), QStringLiteral("是") }, QStringLiteral("否"));
    ComboBox7 = MakeList(this, { QStringLiteral("无"), "XON/XOFF", "RTS/CTS" }, QStringLiteral("无"));

    const QString captions[] = { QStringLiteral("串口名称："), QStringLiteral("波特率："), QStringLiteral("数据位："),
        QStringLiteral("奇偶校验："), QStringLiteral("停止位："), QStringLiteral("是否奇偶校验："),
        QStringLiteral("流控制：") };
    QComboBox *lists[] = { ComboBox1, ComboBox2, ComboBox3, ComboBox4, ComboBox5, ComboBox6, ComboBox7 };
    QLabel **labels[] = { &Label1, &Label2, &Label3, &Label4, &Label5, &Label6, &Label7 };
    for (int row = 0; row < 7; ++row) {
        int top = 12 + row * 29;
        *labels[row] = new QLabel(captions[row], this);
        (*labels[row])->setGeometry(8, top, 100, 22);
        (*labels[row])->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        (*labels[row])->setBuddy(lists[row]);
        lists[row]->setGeometry(110, top, 101, 22);
    }

    Button1 = new QPushButton(QStringLiteral("保存"), this);
    Button1->setGeometry(24, 219, 75, 27);
    Button2 = new QPushButton(QStringLiteral("取消"), this);
    Button2->setGeometry(122, 219, 75, 27);

    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    AddDialogKeys(this);
}

void TForm1::LoadSavedSettings()
{
    const TPortSettings saved = WithPortForThisRun(ReadPortSettings(FSettingsPath));
    ChoosePortName(QFile::decodeName(QByteArray::fromStdString(saved.CommName)));
    ChooseOrAdd(ComboBox2, QString::number(saved.BaudRate));
    ChooseOrAdd(ComboBox3, QString::number(saved.ByteSize));
    ChooseOrAdd(ComboBox4, QString::fromStdString(ParityLabel(saved.Parity)));
    ChooseOrAdd(ComboBox5, QString::number(saved.StopBits));
    ChooseOrAdd(ComboBox6, saved.ParityCheck ? QStringLiteral("是") : QStringLiteral("否"));
}

void TForm1::ChoosePortName(const QString &name)
{
    // A device item that stands for the name is chosen as it is; otherwise the name is a plain item of its own.
    const std::string wanted = name.toStdString();
    for (std::size_t i = 0; i < FPortItems.size(); ++i) {
        if (FPortItems[i].Name == wanted || (FPortItems[i].Name.empty() && FPortItems[i].Text == wanted)) {
            ComboBox1->setCurrentIndex(static_cast<int>(i));
            return;
        }
    }
    FPortItems.push_back({ wanted, "", false });
    ComboBox1->addItem(name);
    ComboBox1->setCurrentIndex(ComboBox1->count() - 1);
}

void TForm1::SetPortRoots(std::optional<TSerialPortRoots> roots)
{
    FPortRoots = std::move(roots);
    delete FPortWatch;
    FPortWatch = nullptr;
    if (isVisible())
        FormShow();
}

void TForm1::PortProbe()
{
    FPortItems = MergePortList(
        std::move(FPortItems), FPortRoots ? ListSerialPorts(*FPortRoots) : std::vector<TSerialPortEntry> {});
    for (size_t i = 0; i < FPortItems.size(); ++i) {
        const QString text = QString::fromStdString(FPortItems[i].Text);
        const int row = static_cast<int>(i);
        if (row >= ComboBox1->count())
            ComboBox1->addItem(text);
        else if (ComboBox1->itemText(row) != text)
            ComboBox1->setItemText(row, text);
    }
}

std::string TForm1::ChosenPortName() const
{
    return PortNameOfChoice(FPortItems, ComboBox1->currentIndex(), ComboBox1->currentText().toStdString());
}

void TForm1::FormShow()
{
    PortProbe();
    if (FPortRoots && !FPortWatch) {
        FPortWatch = new TPortListWatch(*FPortRoots, this);
        connect(FPortWatch, &TPortListWatch::Changed, this, &TForm1::PortProbe);
    }
    // The flow control shows the choice in effect, so that saving the other settings keeps it.
    ComboBox7->setCurrentIndex(static_cast<int>(ReadFlowControl(FSettingsPath)));
    if (!FPlaced) {
        FPlaced = true;
        CentreOnScreen(this);
    }
}

void TForm1::Button1Click()
{
    TPortSettingsChoice choice {
        .CommName = ChosenPortName(),
        .BaudRate = ComboBox2->currentText().toStdString(),
        .ByteSize = ComboBox3->currentText().toStdString(),
        .Parity = ComboBox4->currentText().toStdString(),
        .ParityCheck = ComboBox6->currentText().toStdString(),
        .StopBits = ComboBox5->currentText().toStdString(),
    };
    try {
        if (choice.CommName.empty())
            throw std::runtime_error("no port name");
        SavePortSettings(FSettingsPath, choice);
        if (!WriteFlowControl(FSettingsPath, static_cast<TFlowControl>(ComboBox7->currentIndex())))
            throw std::runtime_error("flow control not saved");
        ShowMessageBox("串口设置成功,请重新打开串口以便生效", "提示", mbIconExclamation);
        hide();
    } catch (const std::exception &) {
        ShowMessageBox("串口设置失败", "提示", mbIconExclamation);
    }
}

void TForm1::Button2Click()
{
    hide();
}

void TForm1::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        FormShow();
    QWidget::showEvent(event);
}

void TForm1::hideEvent(QHideEvent *event)
{
    // The list follows the devices only while it can be seen.
    delete FPortWatch;
    FPortWatch = nullptr;
    QWidget::hideEvent(event);
}

void TForm1::closeEvent(QCloseEvent *event)
{
    // The close box only hides the window, as cancel does; the window lives until the program ends.
    event->ignore();
    hide();
}
