// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/MainForm.h"

#include "auxwin/CompanionForm.h"
#include "auxwin/HelpForm.h"
#include "auxwin/UpgradeForm.h"
#include "chart/Plot.h"
#include "chart/PlotChannel.h"
#include "chart/PlotDescription.h"
#include "comm/SerialComm.h"
#include "console/DataPanelFold.h"
#include "console/Faces.h"
#include "console/FloatForm.h"
#include "console/HistoryForm.h"
#include "console/IntervalForm.h"
#include "console/MainFormGeometry.h"
#include "console/ScriptForm.h"
#include "console/SendBoxMenu.h"
#include "console/plotfeed/ReceivePipeline.h"
#include "console/port/PortControl.h"
#include "console/quicksend/QuickSendFile.h"
#include "console/quicksend/QuickSendForm.h"
#include "console/receive/ReceiveLog.h"
#include "console/receive/ReceivePane.h"
#include "console/receive/ReceivePrint.h"
#include "console/receive/ReceiveSave.h"
#include "console/send/SendLogic.h"
#include "core/DateTime.h"
#include "core/MessageBox.h"
#include "platform/ProgramFolder.h"
#include "platform/SerialPortName.h"
#include "settings/PortSettings.h"
#include "settings/PortSettingsForm.h"
#include "ui/DialogFolder.h"
#include "ui/Fonts.h"
#include "ui/TabKeys.h"
#include "ui/ToolWindowPlacement.h"
#include "ui/WindowKeys.h"
#include "ui/WindowPlacement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QFileDialog>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <array>
#include <chrono>

namespace
{

constexpr int TopBarHeight = 43;
// Resizes come in bursts while the user drags the frame: the size is written once the window has kept still this long.
constexpr int SizeSaveDelayMs = 500;

const QString ShowPanelCaption = QStringLiteral("显示数据面板");
const QString ClosePanelCaption = QStringLiteral("关闭数据面板");
const QString UnfoldCaption = QStringLiteral("↑↑");
const QString FoldCaption = QStringLiteral("↓↓");

QPushButton *MakeButton(QWidget *parent, const QString &caption, QRect geometry)
{
    auto *button = new QPushButton(caption, parent);
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

QPushButton *MakeBoldButton(QWidget *parent, const QString &caption, QRect geometry)
{
    QPushButton *button = MakeButton(parent, caption, geometry);
    QFont font = button->font();
    font.setBold(true);
    button->setFont(font);
    return button;
}

QFrame *MakePanel(QWidget *parent, QFrame::Shadow shadow)
{
    auto *panel = new QFrame(parent);
    panel->setFrameStyle(shadow == QFrame::Plain ? int(QFrame::NoFrame) : QFrame::Panel | shadow);
    return panel;
}

void SetFace(QWidget *widget, const QColor &face)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, face);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QLabel *MakeLabel(QWidget *parent, const QString &caption, QPoint position)
{
    auto *label = new QLabel(caption, parent);
    label->move(position);
    label->adjustSize();
    return label;
}

void SetTextColours(QWidget *widget, const QColor &text, const QColor &background)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::Base, background);
    palette.setColor(QPalette::Button, background);
    widget->setPalette(palette);
}

void SetLabelColour(QLabel *label, const QColor &colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

QPlainTextEdit *MakeSendBox(QWidget *parent, QRect geometry)
{
    auto *box = new QPlainTextEdit(parent);
    box->setGeometry(geometry);
    box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setFont(SongFont(13, true));
    SetTextColours(box, Qt::black, PaneBackground);
    MakeTabMoveFocus(box);
    return box;
}

TReceivePane *MakeReceivePane(QWidget *parent, QRect geometry)
{
    auto *pane = new TReceivePane(parent);
    pane->setGeometry(geometry);
    pane->setFont(SongFont(13, true));
    SetTextColours(pane, Qt::black, PaneBackground);
    return pane;
}

} // namespace

TMainForm::TMainForm(QWidget *parent)
    : QWidget(parent,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QString::fromUtf8(ApplicationTitle));
    setMinimumSize(MainFormStartSize);
    resize(MainFormStartSize);
    setFont(SongFont(11, true));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    setPalette(palette);
    setAutoFillBackground(true);

    FReceiveLog = std::make_shared<TReceiveLog>();
    Comm1 = std::make_unique<TComm>();
    Comm1->SetCommName("COM1");
    Comm1->OnReceiveData
        = [this](TComm *sender, const char *buffer, uint16_t length) { Comm1ReceiveData(sender, buffer, length); };
    Comm1->OnRequestHangup = [this](TComm *sender) { Comm1RequestHangup(sender); };
    Comm1->OnSendHeld = [this](TComm *sender, bool held) { Comm1SendHeld(sender, held); };

    BuildTopBar();
    BuildChartArea();
    FReceivePipeline = std::make_unique<TReceivePipeline>(*FReceiveLog, Memo3, FCapture, [this] { FPlotFeed->Step(); });
    FReceivePipeline->SetPlotFeed(FPlotFeed.get());
    FReceivePipeline->SetChartClock(
        [this] { return FArrivalClock ? FArrivalClock() : Plot1->Channel(0)->ElapsedSeconds(); });
    BuildDataPanel();
    BuildPortInformationPanel();
    BuildTimers();
    ConnectHandlers();
    AddButtonReturnKey(this);
    AddQuickSendShortcuts(this);
    SetDataPanelHeight(DataPanelFold::FoldedHeight);
    TPlotFeed::SetUpChart(*Plot1);
    FChartMenuExtras
        = std::make_unique<TChartMenuExtras>(*Plot1, *FPlotFeed, FReceivePipeline->Feed(), SettingsFilePath(), this);
    // The port's side of the window "二进制帧": XON/XOFF takes the bytes 0x11 and 0x13 out of what is received, so
    // the window warns about it and can switch it off, at once on an open port and in setfile.ini for the next open.
    TBinaryFrameHooks frameHooks;
    frameHooks.FlowIsXonXoff = [this] { return FlowTakesXonXoffBytes(*Comm1, SettingsFilePath()); };
    frameHooks.SwitchFlowToNone = [this] {
        if (!SwitchFlowControlToNone(*Comm1, SettingsFilePath()))
            ShowMessageBox("串口设置失败", "提示", mbIconExclamation);
    };
    FChartMenuExtras->SetBinaryFrameHooks(std::move(frameHooks));
}

TMainForm::~TMainForm()
{
    // The script and the repeats stop before the port they use goes; then the port goes: no receive event may reach
    // the panes and the queue once they start to go.
    FScriptForm.reset();
    FQuickSendForm.reset();
    Comm1.reset();
}

void TMainForm::SetWindows(const TMainFormWindows &windows)
{
    FWindows = windows;
    if (FWindows.Form7) {
        FWindows.Form7->SetHost(this);
        FWindows.Form7->Memo1->SetLog(FReceiveLog);
        FWindows.Form7->Memo1->SetView(FOptions.View);
        FWindows.Form7->Memo1->ExtendContextMenu = [this](QMenu *menu) { ExtendReceivePaneMenu(menu); };
        AddQuickSendShortcuts(FWindows.Form7);
    }
    if (FWindows.Form2)
        connect(FWindows.Form2, &TForm2::EntryChosen, this, &TMainForm::Form2EntryChosen, Qt::UniqueConnection);
    if (FWindows.Form3) {
        connect(FWindows.Form3, &TForm3::IntervalChosen, this, &TMainForm::Form3IntervalChosen, Qt::UniqueConnection);
        connect(FWindows.Form3, &TForm3::Cancelled, this, &TMainForm::Form3Cancelled, Qt::UniqueConnection);
    }
}

// ---- Building the window ----

void TMainForm::BuildTopBar()
{
    Panel2 = MakePanel(this, QFrame::Raised);
    Panel2->setFont(SongFont(12));
    SetFace(Panel2, BarFace);

    Button1 = MakeBoldButton(Panel2, QStringLiteral("打开串口"), { 8, 8, 75, 25 });
    Button2 = MakeBoldButton(Panel2, QStringLiteral("关闭串口"), { 88, 8, 75, 25 });
    Button3 = MakeBoldButton(Panel2, QStringLiteral("串口设置"), { 168, 8, 75, 25 });

    ComboBox1 = new QComboBox(Panel2);
    ComboBox1->setEditable(false);
    ComboBox1->setGeometry(313, 12, 49, 20);
    ComboBox1->setToolTip(QStringLiteral("波形间隔"));
    QStringList spans;
    spans.reserve(1000);
    for (int span = 1; span <= 1000; ++span)
        spans << QString::number(span);
    ComboBox1->addItems(spans);
    ComboBox1->setCurrentIndex(-1);
    SetTextColours(ComboBox1, Qt::black, PaneBackground);

    Label1 = MakeLabel(Panel2, QStringLiteral("间隔量："), { 261, 16 });
    QFont labelFont = Label1->font();
    labelFont.setBold(true);
    Label1->setFont(labelFont);
    Label1->adjustSize();
    SetLabelColour(Label1, LabelText);
    Label1->setBuddy(ComboBox1);

    Button12 = MakeBoldButton(Panel2, QStringLiteral("显示串口信息"), { 379, 10, 96, 25 });
    Button12->setToolTip(QStringLiteral("单击查看当前串口参数"));
    Button11 = MakeBoldButton(Panel2, ShowPanelCaption, { 482, 10, 96, 25 });
    BitBtn1 = MakeButton(Panel2, QStringLiteral("帮助"), { 744, 10, 52, 25 });
    BitBtn2 = MakeButton(Panel2, QStringLiteral("升级"), { 800, 10, 52, 25 });
}

void TMainForm::BuildChartArea()
{
    Panel1 = MakePanel(this, QFrame::Plain);
    auto *layout = new QVBoxLayout(Panel1);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Plot1 = new TPlot(Panel1);
    LoadStripChartDescription(*Plot1);
    layout->addWidget(Plot1);
    FPlotFeed = std::make_unique<TPlotFeed>(Memo3, *Plot1);
}

void TMainForm::BuildDataPanel()
{
    Panel3 = MakePanel(this, QFrame::Plain);

    // The panel's contents stand at fixed places from its top; a lower panel shows less of them, so folding
    // uncovers the chart without moving anything inside the panel.
    SpeedButton1 = MakeButton(Panel3, UnfoldCaption, {});
    SpeedButton1->setFlat(true);
    SpeedButton1->setToolTip(QStringLiteral("数据发送/接收"));
    SpeedButton1->setFont(SongFont(27, true));

    GroupBox1 = new QGroupBox(QStringLiteral("接收数据"), Panel3);
    GroupBox1->setFont(SongFont(13, true));
    Panel4 = MakePanel(GroupBox1, QFrame::Raised);
    Button4 = MakeButton(Panel4, QStringLiteral("保存"), { 8, 8, 75, 25 });
    Button5 = MakeButton(Panel4, QStringLiteral("打印"), { 88, 8, 75, 25 });
    Button6 = MakeButton(Panel4, QStringLiteral("清空"), { 168, 8, 75, 25 });
    BitBtn3 = MakeButton(Panel4, QStringLiteral("悬浮窗体"), { 247, 8, 75, 25 });
    BitBtn3->setToolTip(QStringLiteral("悬浮 【接收/发送数据窗体】"));
    Memo1 = MakeReceivePane(GroupBox1, {});
    Memo1->SetLog(FReceiveLog);

    GroupBox2 = new QGroupBox(QStringLiteral("发送数据"), Panel3);
    GroupBox2->setFont(SongFont(13, true));
    Memo2 = MakeSendBox(GroupBox2, {});

    Panel5 = MakePanel(Panel3, QFrame::Raised);
    Button7 = MakeButton(Panel5, QStringLiteral("发送"), { 8, 8, 75, 25 });
    Button8 = MakeButton(Panel5, QStringLiteral("发送并保存"), { 88, 8, 75, 25 });
    Button9 = MakeButton(Panel5, QStringLiteral("定时发送"), { 168, 8, 75, 25 });
    Button10 = MakeButton(Panel5, QStringLiteral("历史数据"), { 248, 8, 75, 25 });
    BitBtn4 = MakeButton(Panel5, QStringLiteral("悬浮窗体"), { 327, 8, 75, 25 });
    BitBtn4->setToolTip(QStringLiteral("悬浮 【接收/发送数据窗体"));
}

void TMainForm::BuildPortInformationPanel()
{
    Panel6 = MakePanel(this, QFrame::Raised);
    Panel6->setGeometry(378, 36, 200, 162);
    PortInfoGroupBox = new QGroupBox(QStringLiteral("当前串口信息"), Panel6);
    PortInfoGroupBox->setGeometry(5, 4, 189, 156);
    PortInfoGroupBox->setFont(SongFont(13, true));
    SetFace(Panel6, BarFace);
    QPalette titlePalette = PortInfoGroupBox->palette();
    titlePalette.setColor(QPalette::WindowText, LabelText);
    PortInfoGroupBox->setPalette(titlePalette);

    const int tops[] = { 38, 59, 79, 99, 119 };
    const QString captions[] = { QStringLiteral("串口名称："), QStringLiteral("波特率："), QStringLiteral("数据位："),
        QStringLiteral("校验位："), QStringLiteral("停止位：") };
    QLabel **names[] = { &Label2, &Label3, &Label4, &Label5, &Label6 };
    QLabel **values[] = { &Label7, &Label8, &Label9, &Label10, &Label11 };
    for (int row = 0; row < 5; ++row) {
        *names[row] = MakeLabel(PortInfoGroupBox, captions[row], { row == 2 ? 37 : 38, tops[row] });
        *values[row] = MakeLabel(PortInfoGroupBox, QString(), { 107, tops[row] });
        (*values[row])->resize(78, (*names[row])->height());
        SetLabelColour(*names[row], LabelText);
        SetLabelColour(*values[row], LabelText);
    }
    Panel6->hide();
}

void TMainForm::BuildTimers()
{
    Timer2 = new QTimer(this);
    // The plot feed sleeps while the PlotQueue is empty: the receive path wakes it, and each step arms the next while
    // lines are waiting, so nothing ticks in an idle program.
    Timer3 = &FReceivePipeline->Feed().Timer();
    Timer4 = new QTimer(this);
    Timer4->setInterval(1);
    Timer4->setTimerType(Qt::PreciseTimer);
    Timer5 = new QTimer(this);
    Timer5->setInterval(10);
    FSizeSaveTimer = new QTimer(this);
    FSizeSaveTimer->setSingleShot(true);
    FSizeSaveTimer->setInterval(SizeSaveDelayMs);
    connect(FSizeSaveTimer, &QTimer::timeout, this, &TMainForm::SaveSize);
}

void TMainForm::ConnectHandlers()
{
    connect(Button1, &QPushButton::clicked, this, &TMainForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TMainForm::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TMainForm::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TMainForm::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TMainForm::Button5Click);
    connect(Button6, &QPushButton::clicked, this, &TMainForm::Button6Click);
    connect(Button7, &QPushButton::clicked, this, &TMainForm::Button7Click);
    Memo1->ExtendContextMenu = [this](QMenu *menu) { ExtendReceivePaneMenu(menu); };
    // While a capture runs, a refused write is reported within a second even when nothing more arrives.
    FReconnectTimer = new QTimer(this);
    FReconnectTimer->setInterval(ReconnectPollMs);
    connect(FReconnectTimer, &QTimer::timeout, this, &TMainForm::ReconnectTimerTimer);
    FCaptureTimer = new QTimer(this);
    FCaptureTimer->setInterval(TReceiveCapture::FlushIntervalMs);
    connect(FCaptureTimer, &QTimer::timeout, this, &TMainForm::CheckCapture);
    Memo2->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Memo2, &QWidget::customContextMenuRequested, this, &TMainForm::Memo2ContextMenu);
    connect(Button8, &QPushButton::clicked, this, &TMainForm::Button8Click);
    connect(Button9, &QPushButton::clicked, this, &TMainForm::Button9Click);
    connect(Button10, &QPushButton::clicked, this, &TMainForm::Button10Click);
    connect(Button11, &QPushButton::clicked, this, &TMainForm::Button11Click);
    connect(Button12, &QPushButton::clicked, this, &TMainForm::Button12Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TMainForm::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TMainForm::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TMainForm::BitBtn3Click);
    connect(BitBtn4, &QPushButton::clicked, this, &TMainForm::BitBtn4Click);
    connect(SpeedButton1, &QPushButton::clicked, this, &TMainForm::SpeedButton1Click);
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TMainForm::ComboBox1Change);
    connect(Timer2, &QTimer::timeout, this, &TMainForm::Timer2Timer);
    connect(Timer4, &QTimer::timeout, this, &TMainForm::Timer4Timer);
    connect(Timer5, &QTimer::timeout, this, &TMainForm::Timer5Timer);
    Panel2->installEventFilter(this);
    Button12->installEventFilter(this);
}

// ---- Window behaviour ----

void TMainForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    if (!FPlaced) {
        FPlaced = true;
        if (!isMaximized())
            CentreOnScreen();
    }
    FormShow();
}

void TMainForm::FormShow()
{
    if (FWindows.Form4)
        FWindows.Form4->show();
    emit Shown();
}

void TMainForm::CentreOnScreen()
{
    if (QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    // The close box, Alt+F4 and the window menu hide the window; the program stays reachable from the tray. The end
    // of the desktop session and the exit command are never refused.
    if (FCloseAllowed || qApp->isSavingSession()) {
        event->accept();
        return;
    }
    event->ignore();
    hide();
    if (FWindows.Form4)
        FWindows.Form4->hide();
}

void TMainForm::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // Hiding may be the last thing before the program ends: a size still waiting for its delay is written now.
    if (FSizeSaveTimer->isActive())
        SaveSize();
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Panel2 && event->type() == QEvent::MouseButtonRelease) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        QPoint at = mouse->position().toPoint();
        if (mouse->button() == Qt::LeftButton && Panel2->rect().contains(at) && !Panel2->childAt(at))
            Panel2Click();
    } else if (watched == Button12 && event->type() == QEvent::Leave) {
        Button12MouseLeave();
    } else if (watched == Button12 && event->type() == QEvent::FocusOut) {
        // Shown from the keyboard, the panel stays while the button has the focus, as it stays under the pointer.
        Button12MouseLeave();
    } else if (watched == Button12 && event->type() == QEvent::KeyPress && Panel6->isVisible()
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        Button12MouseLeave();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool TMainForm::focusNextPrevChild(bool next)
{
    // The data panel's contents stay where they are while the panel folds, cut off below the window's edge: Tab and
    // Shift+Tab pass over the controls that cannot be seen, to the next one in the chain that can.
    QWidget *from = focusWidget() ? focusWidget() : this;
    QWidget *candidate = from;
    for (;;) {
        candidate = next ? candidate->nextInFocusChain() : candidate->previousInFocusChain();
        if (!candidate || candidate == from)
            return QWidget::focusNextPrevChild(next);
        const bool takesTab = (candidate->focusPolicy() & Qt::TabFocus) && !candidate->focusProxy();
        if (takesTab && candidate->window() == this && candidate != this && candidate->isEnabled()
            && candidate->isVisible() && !candidate->visibleRegion().isEmpty()) {
            candidate->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
}

void TMainForm::HotKeyPressed()
{
    std::string stamp = FormatHhnnss(std::chrono::system_clock::now());
    Memo2->setPlainText(Memo2->toPlainText() + QString::fromStdString(stamp));
}

// ---- Port ----

void TMainForm::Button1Click()
{
    FSendPaused = false;
    StopReconnecting();
    if (OpenPortFromSettings(*Comm1, SettingsFilePath())) {
        NoteOpenings();
        FReconnect.Opened(SerialDevicePath(Comm1->CommName()));
    }
}

void TMainForm::Button2Click()
{
    FSendPaused = false;
    StopReconnecting();
    StopAutomation();
    ClosePortAndReport(*Comm1);
}

void TMainForm::Comm1RequestHangup(TComm *)
{
    if (Comm1->IsOpen()) {
        // The lost device ends a timed send before anything is shown: its ticks would only fail, each with a box.
        StopTimedSend();
        StopAutomation();
        FSendPaused = false;
    }
    if (!FOptions.AutoReconnect || !Comm1->IsOpen()) {
        FillPortInformation();
        ClosePortOnHangup(*Comm1);
        return;
    }
    // Closed without the box; the port opens again, with the values the component keeps, once the device is back.
    try {
        Comm1->ClosePort();
    } catch (...) {
    }
    FReconnect.Lost(SerialDevicePath(Comm1->CommName()));
    FReconnectTimer->start();
    FillPortInformation();
    emit Notify(QStringLiteral("串口已断开，等待重连"));
}

void TMainForm::Comm1SendHeld(TComm *, bool Held)
{
    // Only X-on/X-off lets the device pause what is sent; a write held for another reason is not news.
    const bool paused = Held && Comm1->Outx_XonXoffFlow();
    if (paused == FSendPaused)
        return;
    FSendPaused = paused;
    FillPortInformation();
    if (paused)
        emit Notify(QStringLiteral("发送被设备暂停（XOFF）"));
}

void TMainForm::ReconnectTimerTimer()
{
    if (!FReconnect.Waiting()) {
        FReconnectTimer->stop();
        return;
    }
    if (!FReconnect.Poll())
        return;
    // A device awaited by its identity may come back under another name; it is opened under that name.
    if (const std::string target = FReconnect.Target(); target != SerialDevicePath(Comm1->CommName()))
        Comm1->SetCommName(target);
    // Connecting to a remote port keeps the event loop turning: no second attempt may start meanwhile.
    FReconnectTimer->stop();
    bool opened = false;
    try {
        Comm1->OpenPort();
        opened = Comm1->IsOpen();
    } catch (...) {
    }
    FReconnect.Attempted(opened);
    if (!opened) {
        if (FReconnect.Waiting())
            FReconnectTimer->start();
        return;
    }
    NoteOpenings();
    FillPortInformation();
    const std::string &identity = FReconnect.Identity();
    emit Notify(identity.empty()
            ? QStringLiteral("串口已重连")
            : QStringLiteral("串口已重连：") + QString::fromStdString(identity.substr(identity.rfind('/') + 1)));
}

void TMainForm::NoteOpenings()
{
    if (Comm1->Openings() == FOpeningsNoted)
        return;
    FOpeningsNoted = Comm1->Openings();
    FReceivePipeline->PortOpened();
}

void TMainForm::StopReconnecting()
{
    FReconnect.Cancel();
    FReconnectTimer->stop();
    FillPortInformation();
}

void TMainForm::Button3Click()
{
    ShowModeless(FWindows.Form1);
}

void TMainForm::Button12Click()
{
    FillPortInformation();
    Panel6->show();
    Panel6->raise();
}

void TMainForm::FillPortInformation()
{
    std::array<std::string, 5> texts = PortInfoTexts(PortInfoOf(*Comm1));
    const TPortCondition condition = FReconnect.Waiting() ? TPortCondition::WaitingForDevice
        : FSendPaused                                     ? TPortCondition::SendPaused
                                                          : TPortCondition::Normal;
    SetPortNameLabel(QString::fromStdString(PortNameText(texts[0], condition, FReconnect.Path())));
    QLabel *values[] = { Label8, Label9, Label10, Label11 };
    for (std::size_t row = 1; row < texts.size(); ++row)
        values[row - 1]->setText(QString::fromStdString(texts[row]));
}

// A long name (a device link in a temporary folder) loses its middle rather than its end, so that the start of the
// path and the device's own name both stay in the label's width; the whole text is the tool tip.
void TMainForm::SetPortNameLabel(const QString &text)
{
    Label7->setText(Label7->fontMetrics().elidedText(text, Qt::ElideMiddle, Label7->width()));
    Label7->setToolTip(text);
}

void TMainForm::Button12MouseLeave()
{
    Panel6->hide();
}

// ---- Received data ----

void TMainForm::Comm1ReceiveData(TComm *Sender, const char *Buffer, uint16_t BufferLength)
{
    const std::string_view chunk(Buffer, Buffer ? BufferLength : 0);
    NoteOpenings();
    FReceivePipeline->TakeChunk(chunk, Sender ? Sender->ReceivedRuns() : std::span<const TReadRun> {});
    if (FScriptForm)
        FScriptForm->Received(chunk);
    if (FCapture.Active())
        CheckCapture();
}

void TMainForm::Button4Click()
{
    SaveReceivedText(Memo1->Document(), SaveDialog1, this);
}

void TMainForm::Button5Click()
{
    PrintAndReport(Memo1->DisplayedLines(), this);
}

void TMainForm::Button6Click()
{
    Memo1->Clear();
}

// ---- Sending and history ----

THexText TMainForm::SendBoxText() const
{
    return SendBoxContent(Memo2->toPlainText().toStdString(), FOptions.HexSend);
}

std::string_view TMainForm::SendEnding() const
{
    return SendEndingBytes(FOptions.ActiveEnding());
}

TSendFunction TMainForm::Sender()
{
    return [this](const char *data, unsigned count) { return Comm1->SendData(data, count); };
}

void TMainForm::Button7Click()
{
    THexText content = SendBoxText();
    if (CheckSendBoxContent(content))
        SendAndReport(content.Bytes, Sender(), SendEnding());
}

void TMainForm::Button8Click()
{
    THexText content = SendBoxText();
    if (!CheckSendBoxContent(content))
        return;
    // The history keeps what the user typed, so that a hex entry comes back as hex pairs.
    std::string entry = SendBoxBytes(Memo2->toPlainText().toStdString());
    SendSaveAndReport(content.Bytes, Sender(), ProgramFilePath(HistoryFileName), SendEnding(), entry);
}

void TMainForm::Button9Click()
{
    switch (TimedSendButtonAction(Memo2->toPlainText().isEmpty(), Button9->text().toStdString())) {
    case TTimedSendAction::NothingToSend:
        break;
    case TTimedSendAction::ChooseInterval:
        if (!CheckSendBoxContent(SendBoxText()))
            break;
        ShowModeless(FWindows.Form3);
        Button9->setText(QString::fromUtf8(StopSendCaption));
        break;
    case TTimedSendAction::Stop:
        StopTimedSend();
        break;
    }
}

void TMainForm::StopTimedSend()
{
    Timer2->stop();
    Button9->setText(QString::fromUtf8(TimedSendCaption));
}

void TMainForm::Timer2Timer()
{
    THexText content = SendBoxText();
    if (!content.Good()) {
        // The box was edited into bad hex while the timer ran: stop, so that one box reports it instead of one a tick.
        StopTimedSend();
        CheckSendBoxContent(content);
        return;
    }
    // A failing tick ends the timed send before its box shows, so the user is left with one box and the button.
    // A send refused while the port is still open means its device has gone: the hang-up request says so.
    FTimedSendReporter.Report(
        SendText(content.Bytes, Sender(), SendEnding()), [this] { StopTimedSend(); }, Comm1->IsOpen());
}

void TMainForm::Button10Click()
{
    ShowModeless(FWindows.Form2);
}

void TMainForm::Form2EntryChosen(const QString &text)
{
    Memo2->setPlainText(text);
}

void TMainForm::Form3IntervalChosen(int milliseconds)
{
    StartSendTimer(Timer2, milliseconds);
}

void TMainForm::Form3Cancelled()
{
    Button9->setText(QString::fromUtf8(TimedSendCaption));
}

// ---- Chart ----

void TMainForm::ComboBox1Change()
{
    FPlotFeed->SpanSelected(ComboBox1->currentText().toStdString());
}

void TMainForm::Timer3Timer()
{
    FReceivePipeline->Feed().Step();
}

// ---- Information windows ----

void TMainForm::BitBtn1Click()
{
    ShowModeless(FWindows.Form5);
}

void TMainForm::BitBtn2Click()
{
    ShowModeless(FWindows.Form6);
}

// ---- Data panel ----

void TMainForm::SetDataPanelHeight(int height)
{
    const TMainFormRegions regions = MainFormRegions(size(), TopBarHeight, height);
    Panel2->setGeometry(regions.TopBar);
    // "帮助" and "升级" keep their place at the bar's right end when the window is wider.
    BitBtn1->move(regions.TopBar.width() - (MainFormStartSize.width() - 744), 10);
    BitBtn2->move(regions.TopBar.width() - (MainFormStartSize.width() - 800), 10);
    Panel3->setGeometry(regions.DataPanel);
    Panel1->setGeometry(regions.ChartArea);
    LayOutDataPanel(regions.DataPanel.width());
}

void TMainForm::LayOutDataPanel(int width)
{
    // The panel's contents stand at fixed places from its top, as wide as the panel; a lower panel shows less of
    // them, so folding uncovers the chart without moving anything inside the panel.
    const int inner = width - 6;
    SpeedButton1->setGeometry(0, 0, width, 30);
    GroupBox1->setGeometry(0, 30, width, 198);
    Panel4->setGeometry(3, 15, inner, 41);
    Memo1->setGeometry(3, 56, inner, 140);
    GroupBox2->setGeometry(0, 228, width, 104);
    Memo2->setGeometry(3, 15, inner, 87);
    Panel5->setGeometry(0, 332, width, 41);
}

void TMainForm::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    SetDataPanelHeight(Panel3->height());
    if (!(windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized)))
        FNormalSize = size();
    ScheduleSizeSave();
}

void TMainForm::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        ScheduleSizeSave();
}

void TMainForm::ScheduleSizeSave()
{
    if (!FOptionsPath.empty())
        FSizeSaveTimer->start();
}

void TMainForm::SaveSize()
{
    FSizeSaveTimer->stop();
    const TMainFormSize now { FNormalSize, isMaximized() };
    if (FOptionsPath.empty() || now == FSavedSize)
        return;
    // A file that refuses the write keeps the old size for the next start, as with any unsaved choice.
    if (SaveMainFormSize(FOptionsPath, now))
        FSavedSize = now;
}

void TMainForm::SpeedButton1Click()
{
    if (DataPanelFold::DirectionForClick(Panel3->height()) == DataPanelFold::TDirection::Unfold)
        StartUnfold();
    else
        StartFold();
}

// Both captions follow the way the panel goes: the fold button and the toggle then always name what their next
// click does, however the panel was last moved (either button, a float button, the floating window's close).
void TMainForm::StartUnfold()
{
    SpeedButton1->setText(FoldCaption);
    Button11->setText(ClosePanelCaption);
    Timer5->stop();
    Timer4->start();
}

void TMainForm::StartFold()
{
    SpeedButton1->setText(UnfoldCaption);
    Button11->setText(ShowPanelCaption);
    Timer4->stop();
    // The toggle can ask this of a panel that has only just begun to unfold: it is folded already.
    if (!DataPanelFold::FoldDone(Panel3->height()))
        Timer5->start();
}

void TMainForm::Timer4Timer()
{
    SetDataPanelHeight(DataPanelFold::NextUnfoldHeight(Panel3->height()));
    if (DataPanelFold::UnfoldDone(Panel3->height()))
        Timer4->stop();
}

void TMainForm::Timer5Timer()
{
    SetDataPanelHeight(DataPanelFold::NextFoldHeight(Panel3->height()));
    if (DataPanelFold::FoldDone(Panel3->height()))
        Timer5->stop();
}

void TMainForm::Button11Click()
{
    // The toggle does what its caption says, whatever the height: "显示数据面板" unfolds, even a panel that is
    // folding, and "关闭数据面板" folds. While the panel is floated it only resets its caption.
    if (Panel3->isEnabledTo(this)) {
        if (Button11->text() == ShowPanelCaption)
            StartUnfold();
        else
            StartFold();
    }
    if (!Panel3->isEnabledTo(this))
        Button11->setText(ShowPanelCaption);
}

void TMainForm::FloatDataPanel()
{
    // Only the floating window's close button enables the panel again: without a floating window to show, the panel
    // stays as it is.
    if (!FWindows.Form7)
        return;
    // Called from the code the fold button acts even on the disabled panel; the float buttons are only reachable
    // while the panel is unfolded, so this folds it.
    Panel3->setEnabled(false);
    SpeedButton1Click();
    ShowModeless(FWindows.Form7);
}

void TMainForm::BitBtn3Click()
{
    FloatDataPanel();
}

void TMainForm::BitBtn4Click()
{
    FloatDataPanel();
}

void TMainForm::Panel2Click()
{
    Panel3->show();
}

void TMainForm::EnableDataPanel()
{
    Panel3->setEnabled(true);
}

void TMainForm::SetSendText(const QString &text)
{
    Memo2->setPlainText(text);
}

// ---- Options of the context menus ----

void TMainForm::LoadOptions(std::string settingsPath)
{
    FOptionsPath = std::move(settingsPath);
    FOptions = LoadConsoleOptions(FOptionsPath);
    ApplyReceiveView();
    RestoreSize();
}

void TMainForm::RestoreSize()
{
    FSavedSize = LoadMainFormSize(FOptionsPath);
    const QScreen *screen = this->screen();
    resize(StartingMainFormSize(FSavedSize.Size, screen ? screen->availableGeometry().size() : QSize()));
    FNormalSize = size();
    if (FSavedSize.Maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void TMainForm::SetOptions(const TConsoleOptions &options)
{
    if (!FOptionsPath.empty())
        SaveConsoleOptions(FOptionsPath, FOptions, options);
    FOptions = options;
    ApplyReceiveView();
}

void TMainForm::ToggleCapture()
{
    if (FCapture.Active()) {
        FCapture.Stop();
        FCaptureTimer->stop();
        return;
    }
    QDateTime now = QDateTime::currentDateTime();
    QDate day = now.date();
    QTime time = now.time();
    std::string suggested = DialogPath(QString::fromStdString(CaptureFileName(day.year(), day.month(), day.day(),
                                           time.hour(), time.minute(), time.second())))
                                .toStdString();
    std::string path = FCaptureChooser
        ? FCaptureChooser(suggested)
        : QFileDialog::getSaveFileName(this, QStringLiteral("保存接收数据到文件"), QString::fromStdString(suggested))
              .toStdString();
    if (path.empty())
        return;
    RememberDialogFile(QString::fromStdString(path));
    std::string error;
    if (!FCapture.Start(path, error)) {
        ShowMessageBox("无法保存接收数据到文件：" + error, "提示", mbIconStop);
        return;
    }
    FCaptureTimer->start();
}

void TMainForm::CheckCapture()
{
    if (std::optional<std::string> failure = FCapture.TakeFailure()) {
        FCaptureTimer->stop();
        ShowMessageBox("保存接收数据出错，已停止保存：" + *failure, "提示", mbIconStop);
    }
}

void TMainForm::ApplyReceiveView()
{
    FReceivePipeline->SetChunkLines(FOptions.ChunkLines);
    Memo1->SetView(FOptions.View);
    if (FWindows.Form7)
        FWindows.Form7->Memo1->SetView(FOptions.View);
}

void TMainForm::ExtendReceivePaneMenu(QMenu *menu)
{
    // The actions belong to this menu, which the pane makes afresh for each opening.
    menu->addSeparator();
    QAction *reconnect = menu->addAction(QStringLiteral("自动重连"));
    reconnect->setCheckable(true);
    reconnect->setChecked(FOptions.AutoReconnect);
    connect(reconnect, &QAction::toggled, this, [this](bool on) {
        TConsoleOptions options = FOptions;
        options.AutoReconnect = on;
        SetOptions(options);
        if (!on)
            StopReconnecting();
    });
    QAction *hex = menu->addAction(QStringLiteral("十六进制显示"));
    hex->setCheckable(true);
    hex->setChecked(FOptions.View.Hex);
    connect(hex, &QAction::toggled, this, [this](bool on) {
        TConsoleOptions options = FOptions;
        options.View.Hex = on;
        SetOptions(options);
    });
    QAction *stamps = menu->addAction(QStringLiteral("显示时间戳"));
    stamps->setCheckable(true);
    stamps->setChecked(FOptions.View.Timestamps);
    connect(stamps, &QAction::toggled, this, [this](bool on) {
        TConsoleOptions options = FOptions;
        options.View.Timestamps = on;
        SetOptions(options);
    });
    QAction *chunkLines = menu->addAction(QStringLiteral("每次接收另起一行"));
    chunkLines->setCheckable(true);
    chunkLines->setChecked(FOptions.ChunkLines);
    connect(chunkLines, &QAction::toggled, this, [this](bool on) {
        TConsoleOptions options = FOptions;
        options.ChunkLines = on;
        SetOptions(options);
    });
    QAction *capture = menu->addAction(
        FCapture.Active() ? QStringLiteral("停止保存接收数据") : QStringLiteral("保存接收数据到文件…"));
    // Queued: the file dialog opens after the menu has gone.
    connect(capture, &QAction::triggered, this, &TMainForm::ToggleCapture, Qt::QueuedConnection);
}

void TMainForm::ShowSendBoxMenu(QPlainTextEdit *box, const QPoint &globalPos)
{
    TSendBoxMenuWindows windows {
        .QuickSend = [this] { ShowBeside(QuickSendForm(), this); },
        .Script = [this] { ShowBeside(ScriptForm(), this); },
    };
    BuildSendBoxMenu(
        box, FOptions, [this](const TConsoleOptions &options) { SetOptions(options); }, windows)
        ->popup(globalPos);
}

// ---- Automation ----

TQuickSendForm *TMainForm::QuickSendForm()
{
    if (!FQuickSendForm) {
        const std::string settings = FOptionsPath.empty() ? SettingsFilePath() : FOptionsPath;
        const std::string path = settings.substr(0, settings.rfind('/') + 1) + QuickSendFileName;
        FQuickSendForm = std::make_unique<TQuickSendForm>(path, Sender(), [this] { return Comm1->IsOpen(); });
    }
    return FQuickSendForm.get();
}

TScriptForm *TMainForm::ScriptForm()
{
    if (!FScriptForm) {
        TScriptFormPort port {
            .Send = Sender(),
            .IsOpen = [this] { return Comm1->IsOpen(); },
            .SetDtr = [this](bool on) { Comm1->SetDtrControl(on ? TDtrControl::DtrEnable : TDtrControl::DtrDisable); },
            .SetRts = [this](bool on) { Comm1->SetRtsControl(on ? TRtsControl::RtsEnable : TRtsControl::RtsDisable); },
        };
        FScriptForm = std::make_unique<TScriptForm>(std::move(port));
    }
    return FScriptForm.get();
}

bool TMainForm::ConfirmQuit()
{
    return !FScriptForm || FScriptForm->ConfirmDiscard();
}

void TMainForm::AddQuickSendShortcuts(QWidget *window)
{
    for (std::size_t i = 0; i < QuickSendShortcutCount; ++i) {
        auto *shortcut = new QShortcut(QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_1 + i)), window);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, i] { QuickSendForm()->SendEntry(i); });
    }
}

void TMainForm::StopAutomation()
{
    if (FQuickSendForm)
        FQuickSendForm->StopRepeats();
    if (FScriptForm)
        FScriptForm->PortClosed();
}

void TMainForm::Memo2ContextMenu(const QPoint &position)
{
    ShowSendBoxMenu(Memo2, Memo2->viewport()->mapToGlobal(position));
}
