// The shell in this process on a real X desktop: close box and tray, the tray menu, and the F5 hot key pressed while
// another X client has the focus. Keys and clicks go through the X server (xdotool, XTEST), as a user's would.
#include "app/Shell.h"
#include "auxwin/CompanionForm.h"
#include "console/MainForm.h"
#include "core/DateTime.h"
#include "platform/GlobalHotKey.h"
#include "tests/e2e/DesktopSupport.h"
#include "tests/support/WaitUntil.h"

#include <QApplication>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScreen>
#include <QWindow>
#include <gtest/gtest.h>
#include <set>

using namespace std::chrono_literals;

namespace
{

std::string XY(QPoint p)
{
    return std::to_string(p.x()) + " " + std::to_string(p.y());
}

unsigned long ActiveWindow()
{
    std::string text = RunTool("xprop -root _NET_ACTIVE_WINDOW 2>/dev/null");
    std::size_t at = text.find("0x");
    return at == std::string::npos ? 0 : std::stoul(text.substr(at), nullptr, 16);
}

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
            return window && window->isExposed() && !Shell->TrayIcon->geometry().isEmpty();
        })) << "the main window or the tray icon did not appear";
    }

    void TearDown() override
    {
        Shell.reset();
        QCoreApplication::processEvents();
    }

    QPoint TrayCentre() const { return Shell->TrayIcon->geometry().center(); }
    bool BothShown() const { return Shell->MainForm->isVisible() && Shell->Form4->isVisible(); }
    bool BothHidden() const { return !Shell->MainForm->isVisible() && !Shell->Form4->isVisible(); }

    void CloseWithTheWindowManager()
    {
        std::string id = std::to_string(Shell->MainForm->winId());
        RunTool("xdotool windowactivate --sync " + id + " key alt+F4");
        ASSERT_TRUE(WaitUntil([this] { return BothHidden(); })) << "the close request did not hide both windows";
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

    // A single click (which the tray host reports as a click of its own) does nothing.
    RunTool("xdotool mousemove " + XY(TrayCentre()) + " click 1");
    PumpFor(800ms);
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

    RunTool("xdotool mouseup 3");
    PumpFor(300ms);
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

    // The grab took the key: the focused program never saw it.
    PumpFor(200ms);
    other.Stop();
    EXPECT_EQ(other.ReadRest(1s).find("key "), std::string::npos);
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
    RunTool("xdotool key F5");
    PumpFor(500ms);
    EXPECT_EQ(shell.MainForm->Memo2->toPlainText(), "ABC");
}
