// SPDX-License-Identifier: GPL-3.0-or-later
// The shell in this process on a real X desktop: close box and tray, the tray menu, and the F5 hot key pressed while
// another X client has the focus. Keys and clicks go through the X server (xdotool, XTEST), as a user's would.
#include "app/Shell.h"
#include "auxwin/CompanionForm.h"
#include "auxwin/HelpForm.h"
#include "auxwin/UpgradeForm.h"
#include "chart/Plot.h"
#include "console/FloatForm.h"
#include "console/HistoryForm.h"
#include "console/IntervalForm.h"
#include "console/MainForm.h"
#include "core/DateTime.h"
#include "core/MessageBox.h"
#include "platform/GlobalHotKey.h"
#include "settings/PortSettingsForm.h"
#include "tests/e2e/DesktopSupport.h"
#include "tests/support/WaitUntil.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sstream>

using namespace std::chrono_literals;

namespace
{

std::string XY(QPoint p)
{
    return std::to_string(p.x()) + " " + std::to_string(p.y());
}

// The X window of a shown top-level widget (the widget's own id can be left behind when Qt makes a new one).
unsigned long XWindowOf(const QWidget *window)
{
    return window->windowHandle() ? window->windowHandle()->winId() : 0;
}

// The client windows from the bottom of the stack to its top, as the window manager keeps them.
std::vector<unsigned long> Stacking()
{
    std::string text = RunTool("xprop -root _NET_CLIENT_LIST_STACKING 2>/dev/null");
    std::vector<unsigned long> ids;
    for (std::size_t at = text.find("0x"); at != std::string::npos; at = text.find("0x", at + 2))
        ids.push_back(std::stoul(text.substr(at), nullptr, 16));
    return ids;
}

bool StackedAbove(const QWidget *upper, const QWidget *lower)
{
    std::vector<unsigned long> ids = Stacking();
    auto u = std::find(ids.begin(), ids.end(), XWindowOf(upper));
    auto l = std::find(ids.begin(), ids.end(), XWindowOf(lower));
    return u != ids.end() && l != ids.end() && u > l;
}

bool InWmState(const QWidget *window, const std::string &state)
{
    return RunTool("xprop -id " + std::to_string(XWindowOf(window)) + " _NET_WM_STATE 2>/dev/null").find(state)
        != std::string::npos;
}

// The window with the frame that the window manager put around it, as the X server has them.
QRect FramedOnScreen(const QWidget *window)
{
    std::string id = std::to_string(XWindowOf(window));
    std::istringstream info(RunTool("xwininfo -id " + id + " 2>/dev/null"));
    std::map<std::string, int> field;
    for (std::string line; std::getline(info, line);) {
        std::size_t colon = line.find(':');
        if (colon != std::string::npos && line.find_first_of("0123456789-", colon) != std::string::npos)
            field[line.substr(line.find_first_not_of(' '), colon - line.find_first_not_of(' '))]
                = std::atoi(line.c_str() + colon + 1);
    }
    int left = 0, right = 0, top = 0, bottom = 0;
    std::string extents = RunTool("xprop -id " + id + " _NET_FRAME_EXTENTS 2>/dev/null");
    if (std::sscanf(extents.c_str(), "_NET_FRAME_EXTENTS(CARDINAL) = %d, %d, %d, %d", &left, &right, &top, &bottom)
        != 4)
        return {};
    return QRect(field["Absolute upper-left X"] - left, field["Absolute upper-left Y"] - top,
        field["Width"] + left + right, field["Height"] + top + bottom);
}

// A top-level window or popup mapped and exposed, as the X server and this program have it.
bool OnScreen(const QWidget *window)
{
    return window->isVisible() && window->windowHandle() && window->windowHandle()->isExposed()
        && IsViewable(XWindowOf(window));
}

// The window on screen and in front with the focus, as the window manager has it and as this program has seen it.
// Restoring a minimized window ends with an activation that Qt sends only once the window's map has come back to it;
// until the program has seen its window activated, that request may still be on its way, and the window manager
// would carry it out after whatever the test asks next (restoring a window the test has just minimized).
bool SettledInFront(const QWidget *window)
{
    return !window->isMinimized() && window->isActiveWindow() && OnScreen(window)
        && ActiveWindow() == XWindowOf(window);
}

// Minimizes the window through the window manager, as its title bar button would, once the window has settled in
// front; true when the window manager has unmapped it and the program has seen it minimized.
bool MinimizeWithTheWindowManager(QWidget *window)
{
    if (!WaitUntil([window] { return SettledInFront(window); }, 20s)) {
        ADD_FAILURE() << "not in front before minimizing: minimized " << window->isMinimized() << ", active "
                      << window->isActiveWindow() << ", on screen " << OnScreen(window) << ", active window "
                      << ActiveWindow() << " vs " << XWindowOf(window);
        return false;
    }
    RunTool("xdotool windowminimize --sync " + std::to_string(XWindowOf(window)));
    return WaitUntil([window] { return window->isMinimized() && !IsViewable(XWindowOf(window)); }, 20s);
}

// Where the X server has the window's client area: its absolute upper-left corner.
QPoint ClientOriginOnScreen(const QWidget *window)
{
    std::istringstream info(RunTool("xwininfo -id " + std::to_string(XWindowOf(window)) + " 2>/dev/null"));
    QPoint origin(-1, -1);
    for (std::string line; std::getline(info, line);) {
        if (line.find("Absolute upper-left X:") != std::string::npos)
            origin.setX(std::atoi(line.c_str() + line.find(':') + 1));
        else if (line.find("Absolute upper-left Y:") != std::string::npos)
            origin.setY(std::atoi(line.c_str() + line.find(':') + 1));
    }
    return origin;
}

// Clicks the middle of a widget once the window manager has framed its window and this program knows where the X
// server has put it: a window is placed again when it is framed, and a click at a place the program has not yet
// heard of misses.
void ClickOn(const QWidget *widget)
{
    const QWidget *window = widget->window();
    EXPECT_TRUE(WaitUntil([window] {
        return OnScreen(window) && !FramedOnScreen(window).isEmpty()
            && ClientOriginOnScreen(window) == window->mapToGlobal(QPoint(0, 0));
    })) << "the window did not settle on screen";
    RunTool("xdotool mousemove " + XY(widget->mapToGlobal(widget->rect().center())) + " click 1");
}

// Runs `check` every 50 ms from the event loop, also from the loop of a modal box that a handler opened meanwhile,
// until it returns true or the limit passes; true when it did.
bool CheckFromTheLoop(const std::function<bool()> &check, std::chrono::milliseconds limit = 10s)
{
    bool done = false;
    bool inside = false;
    QTimer timer;
    timer.setInterval(50);
    auto deadline = std::chrono::steady_clock::now() + limit;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (done || inside)
            return;
        if (std::chrono::steady_clock::now() > deadline) {
            // Gives up: a modal box left open would hold the test in its loop for ever.
            if (QWidget *modal = QApplication::activeModalWidget())
                modal->close();
            return;
        }
        inside = true;
        done = check();
        inside = false;
    });
    timer.start();
    WaitUntil([&] { return done; }, limit + 2s);
    return done;
}

// The application-modal box or dialog on screen, once the window manager has mapped it.
template <typename T> T *ModalOnScreen()
{
    auto *modal = qobject_cast<T *>(QApplication::activeModalWidget());
    return modal && modal->windowHandle() && modal->windowHandle()->isExposed() ? modal : nullptr;
}

// Counts the message boxes that are shown, and shows them as the program does.
class TBoxCounter
{
public:
    TBoxCounter()
    {
        FPrevious = SetMessageBoxHandler(nullptr);
        SetMessageBoxHandler([this](const TMessageBoxRequest &request) {
            ++Shown;
            return FPrevious(request);
        });
    }
    ~TBoxCounter() { SetMessageBoxHandler(FPrevious); }
    int Shown = 0;

private:
    TMessageBoxHandler FPrevious;
};

// Tray icons of this program that the tray host shows.
int TrayIconCount()
{
    int count = 0;
    for (const TXWindow &w : ListWindows())
        count += w.Class == "Kelvara" && w.Width <= 32 && w.Height <= 32 && IsViewable(w.Id);
    return count;
}

// Every "hhnnss" stamp between two instants, one per second.
std::set<std::string> StampsBetween(
    std::chrono::system_clock::time_point from, std::chrono::system_clock::time_point to)
{
    std::set<std::string> stamps;
    for (auto t = from - 1s; t <= to + 1s; t += 1s)
        stamps.insert(FormatHhnnss(t));
    return stamps;
}

class ShellOnDesktop : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(GDesktopReady) << GDesktopProblem;
        Shell = std::make_unique<TShell>();
        Shell->Start();
        ASSERT_TRUE(WaitUntil([this] {
            QWindow *window = Shell->MainForm->windowHandle();
            return window && window->isExposed() && TrayIconSettled();
        })) << "the main window or the tray icon did not appear: exposed "
            << (Shell->MainForm->windowHandle() && Shell->MainForm->windowHandle()->isExposed()) << ", tray icon "
            << Shell->TrayIcon->geometry().width() << "x" << Shell->TrayIcon->geometry().height() << ", visible "
            << Shell->TrayIcon->isVisible() << ", tray " << QSystemTrayIcon::isSystemTrayAvailable();
    }

    void TearDown() override
    {
        Shell.reset();
        QCoreApplication::processEvents();
    }

    // The tray icon where the X server has it: the tray host lays its icons out again after embedding one, and a
    // click at a place this program has not yet heard of misses the icon.
    bool TrayIconSettled() const
    {
        const QRect icon = Shell->TrayIcon->geometry();
        for (const TXWindow &w : ListWindows())
            if (w.Class == "Kelvara" && w.Width <= 32 && w.Height <= 32 && IsViewable(w.Id))
                return !icon.isEmpty() && icon == QRect(w.X, w.Y, w.Width, w.Height);
        return false;
    }

    QPoint TrayCentre() const { return Shell->TrayIcon->geometry().center(); }
    bool BothShown() const { return Shell->MainForm->isVisible() && Shell->Form4->isVisible(); }
    bool BothHidden() const { return !Shell->MainForm->isVisible() && !Shell->Form4->isVisible(); }

    void CloseWithTheWindowManager()
    {
        std::string id = std::to_string(Shell->MainForm->winId());
        // On a busy machine the window manager may not have made the window active yet when the key comes, and the
        // key then closes nothing: the request is made again.
        bool hidden = false;
        for (int attempt = 0; attempt < 3 && !hidden; ++attempt) {
            RunTool("xdotool windowactivate --sync " + id + " key alt+F4");
            hidden = WaitUntil([this] { return BothHidden(); }, std::chrono::seconds(4));
        }
        ASSERT_TRUE(hidden) << "the close request did not hide both windows";
    }

    std::unique_ptr<TShell> Shell;
};

} // namespace

TEST_F(ShellOnDesktop, CloseBoxHidesBothWindowsAndATrayDoubleClickBringsThemBackInFront)
{
    EXPECT_TRUE(Shell->HotKey->IsRegistered());
    CloseWithTheWindowManager();
    EXPECT_TRUE(Shell->TrayIcon->isVisible());
    EXPECT_EQ(TrayIconCount(), 1);

    // A single click (which the tray host reports as a click of its own) does nothing once it has arrived.
    int singleClicks = 0;
    QObject::connect(
        Shell->TrayIcon, &QSystemTrayIcon::activated, [&singleClicks](QSystemTrayIcon::ActivationReason reason) {
            singleClicks += reason == QSystemTrayIcon::Trigger;
        });
    RunTool("xdotool mousemove " + XY(TrayCentre()) + " click 1");
    ASSERT_TRUE(WaitUntil([&singleClicks] { return singleClicks >= 1; })) << "the click did not reach the icon";
    EXPECT_TRUE(BothHidden());

    RunTool("xdotool mousemove " + XY(TrayCentre()) + " click --repeat 2 --delay 80 1");
    ASSERT_TRUE(WaitUntil([this] { return BothShown(); })) << "the double click did not show both windows";
    unsigned long main = Shell->MainForm->winId();
    EXPECT_TRUE(WaitUntil([main] { return ActiveWindow() == main; })) << "the main window was not brought forward";
    // Showing again while the icon exists leaves exactly one icon.
    EXPECT_EQ(TrayIconCount(), 1);
}

TEST_F(ShellOnDesktop, RightPressOnTheTrayIconOpensTheMenuAtTheCursor)
{
    QPoint cursor = TrayCentre();
    RunTool("xdotool mousemove " + XY(cursor) + " mousedown 3");
    ASSERT_TRUE(WaitUntil([this] { return Shell->PopupMenu1->isVisible(); })) << "the press did not open the menu";

    // At the cursor, pushed inside the screen where it would stick out (the tray sits in a corner).
    QRect menu = Shell->PopupMenu1->geometry();
    QRect screen = Shell->PopupMenu1->screen()->geometry();
    QPoint expected(std::min(cursor.x(), screen.right() - menu.width() + 1),
        std::min(cursor.y(), screen.bottom() - menu.height() + 1));
    EXPECT_LE((menu.topLeft() - expected).manhattanLength(), 2) << menu.x() << "," << menu.y();

    // The release first reaches the open menu (which leaves it open), then Escape.
    RunTool("xdotool mouseup 3");
    ASSERT_TRUE(WaitUntil([] { return QGuiApplication::mouseButtons() == Qt::NoButton; })) << "no release";
    EXPECT_TRUE(Shell->PopupMenu1->isVisible());
    RunTool("xdotool key Escape");
    EXPECT_TRUE(WaitUntil([this] { return !Shell->PopupMenu1->isVisible(); }));
    EXPECT_TRUE(Shell->MainForm->isVisible());
}

TEST_F(ShellOnDesktop, F5StampsTheTimeIntoTheHiddenSendBoxWhileAnotherProgramHasTheFocus)
{
    ASSERT_TRUE(Shell->HotKey->IsRegistered());
    CloseWithTheWindowManager();

    TChild other;
    ASSERT_TRUE(other.Start({ KELVARA_XCLIENT, "focus" }));
    std::string focused = other.ReadLine(10s);
    ASSERT_EQ(focused.rfind("focused ", 0), 0u) << focused;
    unsigned long otherWindow = std::stoul(focused.substr(8));
    ASSERT_TRUE(WaitUntil([otherWindow] {
        return RunTool("xdotool getwindowfocus 2>/dev/null").find(std::to_string(otherWindow)) != std::string::npos;
    }));
    // A key nobody grabs goes to the focused program: its report later marks the end of what reached it.
    RunTool("xdotool key space");
    const std::string space = other.ReadLine(10s);
    ASSERT_EQ(space.rfind("key ", 0), 0u) << "the focused program does not report keys: " << space;

    Shell->MainForm->Memo2->setPlainText("ABC");
    auto before = std::chrono::system_clock::now();
    RunTool("xdotool key F5");
    ASSERT_TRUE(WaitUntil([this] { return Shell->MainForm->Memo2->toPlainText() != "ABC"; })) << "F5 did not arrive";
    auto after = std::chrono::system_clock::now();

    std::string text = Shell->MainForm->Memo2->toPlainText().toStdString();
    ASSERT_EQ(text.size(), 9u) << text;
    EXPECT_EQ(text.substr(0, 3), "ABC");
    EXPECT_TRUE(StampsBetween(before, after).count(text.substr(3))) << text;
    EXPECT_TRUE(BothHidden());

    // The grab took the key: the next key the focused program sees is the one pressed after F5.
    RunTool("xdotool key space");
    EXPECT_EQ(other.ReadLine(10s), space) << "F5 reached the focused program";
}

TEST(ShellOnDesktopWithF5Taken, RunsWithoutTheHotKeyAndSaysNothing)
{
    ASSERT_TRUE(GDesktopReady) << GDesktopProblem;
    TChild holder;
    ASSERT_TRUE(holder.Start({ KELVARA_XCLIENT, "hold" }));
    ASSERT_EQ(holder.ReadLine(10s), "granted");

    TShell shell;
    shell.Start();
    EXPECT_FALSE(shell.HotKey->IsRegistered());
    ASSERT_TRUE(
        WaitUntil([&] { return shell.MainForm->windowHandle() && shell.MainForm->windowHandle()->isExposed(); }));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    shell.MainForm->Memo2->setPlainText("ABC");
    // The pointer leaves the main window, F5 is pressed, and the pointer comes back: the program hears of the
    // pointer's return after any F5 that reached it.
    TMainForm &main = *shell.MainForm;
    // The window manager may still be placing the window on a busy machine: the pointer is sent again, to where the
    // window stands now, until the window has seen it go or come.
    const auto movesUntil = [&main](bool inside) {
        auto sent = std::chrono::steady_clock::time_point();
        return WaitUntil([&] {
            if (main.underMouse() == inside)
                return true;
            if (std::chrono::steady_clock::now() - sent > std::chrono::milliseconds(500)) {
                const QPoint target = inside ? main.mapToGlobal(main.rect().center())
                                             : main.frameGeometry().bottomRight() + QPoint(20, 20);
                RunTool("xdotool mousemove " + XY(target));
                sent = std::chrono::steady_clock::now();
            }
            return false;
        });
    };
    ASSERT_TRUE(movesUntil(false)) << "the pointer did not leave the main window";
    RunTool("xdotool key F5 mousemove " + XY(main.mapToGlobal(main.rect().center())));
    ASSERT_TRUE(movesUntil(true)) << "the pointer did not come back";
    EXPECT_EQ(main.Memo2->toPlainText(), "ABC");
}

TEST_F(ShellOnDesktop, TimedSendOnAClosedPortStopsAtTheFirstFailingTickWithOneBox)
{
    TBoxCounter boxes;
    TMainForm &main = *Shell->MainForm;
    main.Memo2->setPlainText("ABC");
    main.Button9Click();
    ASSERT_TRUE(WaitUntil([this] { return Shell->Form3->isVisible(); }));
    ASSERT_EQ(Shell->Form3->ComboBox1->currentText(), "10");
    ClickOn(Shell->Form3->Button1); // "确定": a tick every 10 ms on the closed port

    auto opened = std::chrono::steady_clock::time_point::max();
    ASSERT_TRUE(CheckFromTheLoop([&] {
        QMessageBox *box = ModalOnScreen<QMessageBox>();
        if (!box)
            return false;
        if (opened == std::chrono::steady_clock::time_point::max()) {
            opened = std::chrono::steady_clock::now();
            EXPECT_EQ(box->text(), "数据发送错误，请检查串口是否打开");
            EXPECT_EQ(main.Button9->text(), "定时发送");
            EXPECT_FALSE(main.Timer2->isActive());
        }
        // Ticks would have come every 10 ms meanwhile.
        if (std::chrono::steady_clock::now() - opened < 400ms)
            return false;
        EXPECT_EQ(boxes.Shown, 1);
        EXPECT_EQ(ActiveWindow(), box->winId()) << "the box does not have the focus";
        RunTool("xdotool key Return");
        return true;
    })) << "no error box";

    // Closed: no box follows, and the user has the button back. The pause is the check: ticks would come every 10 ms.
    ASSERT_TRUE(WaitUntil([] { return !QApplication::activeModalWidget(); }));
    PumpFor(500ms);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(boxes.Shown, 1);
    EXPECT_EQ(main.Button9->text(), "定时发送");
    EXPECT_FALSE(main.Timer2->isActive());
}

TEST_F(ShellOnDesktop, WhatTheFloatingWindowOpensComesUpAboveItWithTheFocus)
{
    TForm7 &floating = *Shell->Form7;
    const QString history = QCoreApplication::applicationDirPath() + "/txt.txt";
    const bool madeHistory = !QFile::exists(history);
    if (madeHistory) {
        QFile file(history);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("ABC\r\n");
    }
    struct TRemove {
        QString Path;
        bool Made;
        ~TRemove()
        {
            if (Made)
                QFile::remove(Path);
        }
    } removeHistory { history, madeHistory };

    Shell->MainForm->BitBtn3Click();
    ASSERT_TRUE(WaitUntil([&] { return floating.windowHandle() && floating.windowHandle()->isExposed(); }));
    ASSERT_TRUE(InWmState(&floating, "_NET_WM_STATE_ABOVE"));
    floating.Memo2->setPlainText("ABC");

    auto aboveWithFocus = [&](QWidget *window) {
        return window->windowHandle() && window->windowHandle()->isExposed() && StackedAbove(window, &floating)
            && ActiveWindow() == XWindowOf(window);
    };

    // Modeless windows.
    for (auto [button, window] : { std::pair<QPushButton *, QWidget *> { floating.Button10, Shell->Form2.get() },
             { floating.Button9, Shell->Form3.get() } }) {
        SCOPED_TRACE(button->text().toStdString());
        ClickOn(button);
        EXPECT_TRUE(WaitUntil([&, window = window] { return aboveWithFocus(window); }))
            << "beneath or without the focus";
        window->hide();
    }
    Shell->MainForm->Button9->setText("定时发送");

    // Modal ones: the save dialog and a message box (sending on the closed port).
    ClickOn(floating.Button4);
    EXPECT_TRUE(CheckFromTheLoop([&] {
        QFileDialog *dialog = ModalOnScreen<QFileDialog>();
        if (!dialog || !aboveWithFocus(dialog))
            return false;
        RunTool("xdotool key Escape");
        return true;
    })) << "the save dialog is beneath the floating window or has no focus";
    ASSERT_TRUE(WaitUntil([] { return !QApplication::activeModalWidget(); }));

    ClickOn(floating.Button7);
    EXPECT_TRUE(CheckFromTheLoop([&] {
        QMessageBox *box = ModalOnScreen<QMessageBox>();
        if (!box || !aboveWithFocus(box))
            return false;
        RunTool("xdotool key Return");
        return true;
    })) << "the message box is beneath the floating window or has no focus";
    ASSERT_TRUE(WaitUntil([] { return !QApplication::activeModalWidget(); }));

    // With the floating window gone, windows open in the ordinary layer again.
    floating.BitBtn1Click();
    Shell->MainForm->Button10Click();
    // The window manager sets the window's state as it takes the window on, before it maps it and lists it.
    QWidget *form2 = Shell->Form2.get();
    ASSERT_TRUE(WaitUntil([form2] {
        std::vector<unsigned long> listed = Stacking();
        return OnScreen(form2) && std::find(listed.begin(), listed.end(), XWindowOf(form2)) != listed.end();
    })) << "the window manager did not take the window on";
    EXPECT_FALSE(InWmState(form2, "_NET_WM_STATE_ABOVE"));
}

TEST_F(ShellOnDesktop, TrayShowItemsRestoreAMinimizedMainWindowAndTheFloatingWindow)
{
    TMainForm &main = *Shell->MainForm;
    TForm7 &floating = *Shell->Form7;

    ASSERT_TRUE(MinimizeWithTheWindowManager(&main));
    RunTool("xdotool mousemove " + XY(TrayCentre()) + " mousedown 3");
    ASSERT_TRUE(WaitUntil([this] { return OnScreen(Shell->PopupMenu1.get()); }, 20s)) << "no tray menu";
    RunTool("xdotool mouseup 3");
    QRect item = Shell->PopupMenu1->actionGeometry(Shell->N5);
    RunTool("xdotool mousemove " + XY(Shell->PopupMenu1->mapToGlobal(item.center())) + " click 1");
    EXPECT_TRUE(WaitUntil([&main] { return SettledInFront(&main); }, 20s))
        << "\"显示主界面\" left the main window minimized";

    ASSERT_TRUE(MinimizeWithTheWindowManager(&main));
    RunTool("xdotool mousemove " + XY(TrayCentre()) + " click --repeat 2 --delay 80 1");
    EXPECT_TRUE(WaitUntil([&main] { return SettledInFront(&main); }, 20s))
        << "the double click left the main window minimized";

    // The floating window has no buttons to come back with once minimized: the tray brings it back.
    main.BitBtn3Click();
    ASSERT_TRUE(MinimizeWithTheWindowManager(&floating));
    Shell->N5->trigger();
    EXPECT_TRUE(WaitUntil([&floating] { return !floating.isMinimized() && IsViewable(XWindowOf(&floating)); }, 20s))
        << "the floating window stayed minimized";
    floating.BitBtn1Click();
    EXPECT_TRUE(main.Panel3->isEnabled());
}

TEST_F(ShellOnDesktop, PortSettingsAndInformationWindowsAreCentredFrameAndAll)
{
    TMainForm &main = *Shell->MainForm;
    // No devices listed here: the window's size and place do not depend on the machine's ports.
    Shell->Form1->SetPortRoots(std::nullopt);
    using THandler = void (TMainForm::*)();
    for (auto [open, window] : { std::pair<THandler, QWidget *> { &TMainForm::Button3Click, Shell->Form1.get() },
             { &TMainForm::BitBtn1Click, Shell->Form5.get() }, { &TMainForm::BitBtn2Click, Shell->Form6.get() } }) {
        SCOPED_TRACE(window->windowTitle().toStdString());
        (main.*open)();
        QPoint off;
        EXPECT_TRUE(WaitUntil(
            [&, window = window] {
                QRect frame = FramedOnScreen(window);
                off = frame.center() - window->screen()->availableGeometry().center();
                return !frame.isEmpty() && frame.height() > window->height() && std::abs(off.x()) <= 2
                    && std::abs(off.y()) <= 2;
            },
            5s))
            << off.x() << "," << off.y();
        window->hide();
    }
}

// Keys pressed through the X server: Tab goes only through controls that can be seen in the folded window, the chart
// among them; Return presses the focused "串口设置", and Esc closes the window it opened.
TEST_F(ShellOnDesktop, TabWalksTheFoldedWindowsVisibleControlsAndEscClosesTheDialogReturnOpened)
{
    TMainForm &main = *Shell->MainForm;
    Shell->Form1->SetPortRoots(std::nullopt);
    RunTool("xdotool windowactivate --sync " + std::to_string(XWindowOf(&main)));
    ASSERT_TRUE(WaitUntil([&main] { return SettledInFront(&main); }, 20s));

    std::vector<QWidget *> visited;
    for (int i = 0; i < 12; ++i) {
        QWidget *before = QApplication::focusWidget();
        RunTool("xdotool key Tab");
        ASSERT_TRUE(WaitUntil([before] {
            return QApplication::focusWidget() && QApplication::focusWidget() != before;
        })) << "Tab "
            << i << " moved nothing";
        visited.push_back(QApplication::focusWidget());
    }
    for (QWidget *control : visited)
        EXPECT_FALSE(control->visibleRegion().isEmpty())
            << control->metaObject()->className() << " \"" << control->property("text").toString().toStdString()
            << "\" has the focus where it cannot be seen";
    for (QWidget *control : { static_cast<QWidget *>(main.Plot1), static_cast<QWidget *>(main.SpeedButton1) })
        EXPECT_NE(std::find(visited.begin(), visited.end(), control), visited.end())
            << control->metaObject()->className() << " is not on Tab's way";

    main.Button3->setFocus(Qt::TabFocusReason);
    RunTool("xdotool key Return");
    QWidget *settings = Shell->Form1.get();
    ASSERT_TRUE(WaitUntil([settings] { return SettledInFront(settings); }, 20s)) << "Return did not open 串口设置";
    RunTool("xdotool key Escape");
    EXPECT_TRUE(WaitUntil([settings] { return !settings->isVisible() && !IsViewable(XWindowOf(settings)); }))
        << "Esc left 串口设置 open";
}
