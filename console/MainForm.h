// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "console/ConsoleOptions.h"
#include "console/DataPanelHost.h"
#include "console/MainFormGeometry.h"
#include "console/plotfeed/ChartMenuExtras.h"
#include "console/plotfeed/PlotFeed.h"
#include "console/plotfeed/PlotQueue.h"
#include "console/port/ReconnectWatch.h"
#include "console/receive/ReceiveCapture.h"
#include "console/receive/SaveDialog.h"
#include "console/send/SendFormat.h"
#include "console/send/TimedSendReporter.h"

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class TComm;
class TPlot;
class TReceiveLog;
class TReceivePane;
class TReceivePipeline;
class TForm1;
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm6;
class TForm7;
class TQuickSendForm;
class TScriptForm;

// The other windows of the program, created once at start-up and only shown and hidden afterwards. Any of them may
// be missing (tests build the main window alone); the buttons that open a missing window then do nothing.
struct TMainFormWindows {
    TForm1 *Form1 = nullptr; // port settings
    TForm2 *Form2 = nullptr; // send history
    TForm3 *Form3 = nullptr; // interval of the timed send
    TForm4 *Form4 = nullptr; // companion web strip, shown and hidden together with the main window
    TForm5 *Form5 = nullptr; // help
    TForm6 *Form6 = nullptr; // upgrade
    TForm7 *Form7 = nullptr; // floating receive/send window
};

// The main window: the top bar of buttons, the chart area and the data panel that unfolds upwards over the chart.
// Closing it only hides it and the companion window; the program ends from the tray menu.
class TMainForm : public QWidget, public TDataPanelHost
{
    Q_OBJECT
public:
    explicit TMainForm(QWidget *parent = nullptr);
    ~TMainForm() override;

    // Also makes this window the floating window's host, so that its buttons act here, lets the floating receive pane
    // show the received text, and connects the history and interval windows to the send box and the send timer.
    void SetWindows(const TMainFormWindows &windows);
    const TMainFormWindows &Windows() const { return FWindows; }

    // The clock that dates received data for the chart, in seconds since program start; by default the chart's own
    // elapsed time. Tests set their own.
    void SetArrivalClock(std::function<double()> clock) { FArrivalClock = std::move(clock); }

    // Reads the context menus' options and the window's last size from the settings file at path and saves every later
    // change there. Until it is called the options are the defaults, the size is the start size, and neither is kept.
    void LoadOptions(std::string settingsPath);
    const TConsoleOptions &Options() const { return FOptions; }
    void SetOptions(const TConsoleOptions &options);
    // The automatic reconnection's watch, for tests that put its by-id folder elsewhere.
    TReconnectWatch &ReconnectWatch() { return FReconnect; }

    // The capture of received bytes to a file ("保存接收数据到文件…"). The chooser is asked for the file, with the
    // suggested path, and gives an empty path to cancel; by default it is the save file dialog. Tests set their own.
    const TReceiveCapture &Capture() const { return FCapture; }
    void SetCaptureChooser(std::function<std::string(const std::string &suggested)> chooser)
    {
        FCaptureChooser = std::move(chooser);
    }
    void ToggleCapture();

    // The plot feed: its data mode (multi-channel, binary frames) and its decoder's counts.
    TPlotFeed &PlotFeed() { return *FPlotFeed; }

    // The quick-send and script windows, made on first use (their menu items, a quick-send shortcut) and kept until
    // this window goes. Their files sit beside the settings file.
    TQuickSendForm *QuickSendForm();
    TScriptForm *ScriptForm();
    // Before "退出软件" ends the program: false when the user chose to stay (unsaved script text, Cancel).
    bool ConfirmQuit();

    // From now on a close request closes the window instead of hiding it (exit and the end of the session).
    void AllowClose() { FCloseAllowed = true; }

    // Top bar
    QFrame *Panel2;
    QPushButton *Button1;
    QPushButton *Button2;
    QPushButton *Button3;
    QLabel *Label1;
    QComboBox *ComboBox1;
    QPushButton *Button12;
    QPushButton *Button11;
    QPushButton *BitBtn1;
    QPushButton *BitBtn2;

    // Chart area
    QFrame *Panel1;
    TPlot *Plot1;
    TPlotQueue Memo3; // the PlotQueue: received lines on their way to the chart, never shown

    // Data panel
    QFrame *Panel3;
    QPushButton *SpeedButton1;
    QGroupBox *GroupBox1;
    QFrame *Panel4;
    QPushButton *Button4;
    QPushButton *Button5;
    QPushButton *Button6;
    QPushButton *BitBtn3;
    TReceivePane *Memo1;
    QGroupBox *GroupBox2;
    QPlainTextEdit *Memo2;
    QFrame *Panel5;
    QPushButton *Button7;
    QPushButton *Button8;
    QPushButton *Button9;
    QPushButton *Button10;
    QPushButton *BitBtn4;

    // Port information panel
    QFrame *Panel6;
    QGroupBox *PortInfoGroupBox;
    QLabel *Label2;
    QLabel *Label3;
    QLabel *Label4;
    QLabel *Label5;
    QLabel *Label6;
    QLabel *Label7;
    QLabel *Label8;
    QLabel *Label9;
    QLabel *Label10;
    QLabel *Label11;

    // The serial port. Its receive events arrive on this thread while the event loop runs.
    std::unique_ptr<TComm> Comm1;
    TSaveDialog SaveDialog1;

    QTimer *Timer2; // timed send
    QTimer *Timer3; // plot feed, 10 ms, runs while the PlotQueue holds lines (the receive pipeline's feed schedule)
    QTimer *Timer4; // one unfold step per tick
    QTimer *Timer5; // one fold step per tick

public slots:
    // Port
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button12Click();
    void Button12MouseLeave();
    // Received data
    void Button4Click() override;
    void Button5Click() override;
    void Button6Click() override;
    // Sending and history
    void Button7Click() override;
    void Button8Click() override;
    void Button9Click() override;
    void Button10Click() override;
    void Timer2Timer();
    // Received data
    void Comm1ReceiveData(TComm *Sender, const char *Buffer, uint16_t BufferLength);
    void Comm1RequestHangup(TComm *Sender);
    void Comm1SendHeld(TComm *Sender, bool Held);
    // Chart
    void ComboBox1Change();
    void Timer3Timer();
    // Information windows
    void BitBtn1Click();
    void BitBtn2Click();
    // Data panel
    void SpeedButton1Click();
    void Timer4Timer();
    void Timer5Timer();
    void Button11Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void Panel2Click();

    // Runs each time the window becomes visible: shows the companion window, then asks for the tray icon.
    void FormShow();
    // The global hot key: appends the local time as hhnnss to the send box.
    void HotKeyPressed();

    // For the floating window.
    void SetSendText(const QString &text) override;
    void EnableDataPanel() override;
    void ShowSendBoxMenu(QPlainTextEdit *box, const QPoint &globalPos) override;

signals:
    // Emitted by FormShow after the companion window is shown; the shell adds the tray icon then.
    void Shown();
    // A desktop notification for the tray icon to show (the automatic reconnection's news).
    void Notify(const QString &text);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void BuildTopBar();
    void BuildChartArea();
    void BuildDataPanel();
    void BuildPortInformationPanel();
    void BuildTimers();
    void ConnectHandlers();
    // Shows text (the port's name, or a state of the port with its name) beside "串口名称：".
    void SetPortNameLabel(const QString &text);

    void Form2EntryChosen(const QString &text);
    void Form3IntervalChosen(int milliseconds);
    void Form3Cancelled();
    void StopTimedSend();
    // The send box's content as it goes on the line, the chosen ending, and the port as the send functions use it.
    THexText SendBoxText() const;
    std::string_view SendEnding() const;
    TSendFunction Sender();
    void Memo2ContextMenu(const QPoint &position);
    // Ctrl+1 ... Ctrl+9 on window: the first nine quick-send entries.
    void AddQuickSendShortcuts(QWidget *window);
    // The port has closed: repeating quick sends and a running script end.
    void StopAutomation();
    // Adds "十六进制显示" and "显示时间戳" to a receive pane's context menu.
    void ExtendReceivePaneMenu(QMenu *menu);
    void ApplyReceiveView();
    // Reports a refused capture write once; the capture has stopped then.
    void CheckCapture();
    // While the vanished device is awaited: polls for it and opens the port when it is back.
    void ReconnectTimerTimer();
    void StopReconnecting();
    // Tells the receive pipeline of an opening of Comm1 it has not heard of, whoever opened the port (the buttons, a
    // reconnect, or code that opens Comm1 itself): called after each opening here and before each received block.
    void NoteOpenings();
    // Fills the value labels of the port information panel; the port name's label also tells when the port waits
    // for its device or the device holds back what is sent.
    void FillPortInformation();

    // Lays the three regions out for the window's size with the data panel at that height.
    void SetDataPanelHeight(int height);
    void LayOutDataPanel(int width);
    void RestoreSize();
    void ScheduleSizeSave();
    void SaveSize();
    void StartUnfold();
    void StartFold();
    void FloatDataPanel();
    void CentreOnScreen();

    TMainFormWindows FWindows;
    // The received text of the main and the floating receive pane, stored once.
    std::shared_ptr<TReceiveLog> FReceiveLog;
    TTimedSendReporter FTimedSendReporter;
    // Reads Memo3: declared after it, so destroyed before it.
    std::unique_ptr<TPlotFeed> FPlotFeed;
    std::function<double()> FArrivalClock;
    TConsoleOptions FOptions;
    TReceiveCapture FCapture;
    // Feeds the log, Memo3, the capture and the plot feed: declared after them, so destroyed before them.
    std::unique_ptr<TReceivePipeline> FReceivePipeline;
    uint64_t FOpeningsNoted = 0; // Comm1->Openings() when the pipeline last heard of one
    // The chart's multi-channel and CSV export items; uses the feed and pauses it, so declared after both.
    std::unique_ptr<TChartMenuExtras> FChartMenuExtras;
    static constexpr int ReconnectPollMs = 200;
    TReconnectWatch FReconnect { DevicePresent };
    QTimer *FReconnectTimer = nullptr;
    // The device has held back a write for a while (XOFF); cleared when the write moves on or the port closes.
    bool FSendPaused = false;
    QTimer *FCaptureTimer = nullptr;
    std::function<std::string(const std::string &)> FCaptureChooser;
    std::string FOptionsPath;
    // Send through Comm1 and read what it receives: declared after it, and destroyed first in the destructor.
    std::unique_ptr<TQuickSendForm> FQuickSendForm;
    std::unique_ptr<TScriptForm> FScriptForm;
    bool FCloseAllowed = false;
    bool FPlaced = false;
    QSize FNormalSize = MainFormStartSize; // the last size while neither maximized nor minimized
    TMainFormSize FSavedSize; // as the settings file holds it
    QTimer *FSizeSaveTimer = nullptr;
};
