// The real program on a real X desktop: a second copy, and the exit from the tray menu.
#include "tests/e2e/DesktopSupport.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace
{

// Starts the program and waits until its main window has been painted.
void StartProgram(TChild &program)
{
    ASSERT_TRUE(program.Start({ KELVARA_PROGRAM }, { "KELVARA_REPORT_SHOWN=1" }));
    for (;;) {
        std::string line = program.ReadLine(15s, true);
        ASSERT_FALSE(line.empty()) << "the program did not show its main window";
        if (line.rfind("kelvara-shown ", 0) == 0)
            return;
    }
}

std::vector<TXWindow> ProgramWindows()
{
    std::vector<TXWindow> found;
    for (const TXWindow &w : ListWindows())
        if (w.Class == "Kelvara" && IsViewable(w.Id))
            found.push_back(w);
    return found;
}

bool FindTrayIcon(TXWindow &icon)
{
    return WaitFor(
        [&] {
            for (const TXWindow &w : ProgramWindows())
                if (w.Width <= 32 && w.Height <= 32) {
                    icon = w;
                    return true;
                }
            return false;
        },
        10s);
}

int TryGrabF5()
{
    TChild grab;
    int status = -1;
    if (!grab.Start({ KELVARA_XCLIENT, "grab" }) || !grab.Wait(10s, status))
        return -1;
    return status;
}

} // namespace

TEST(ProgramOnDesktop, SecondCopyEndsAtOnceWithStatusZeroAndCreatesNoWindow)
{
    ASSERT_TRUE(GDesktopReady) << GDesktopProblem;
    TChild first;
    StartProgram(first);

    TChild watch;
    ASSERT_TRUE(watch.Start({ KELVARA_XCLIENT, "watch" }));
    ASSERT_EQ(watch.ReadLine(10s), "ready");

    TChild second;
    auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(second.Start({ KELVARA_PROGRAM }));
    int status = -1;
    ASSERT_TRUE(second.Wait(10s, status)) << "the second copy did not end";
    auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    EXPECT_EQ(status, 0);
    EXPECT_LT(took, 1000ms) << "the second copy took " << took.count() << " ms";
    RecordProperty("second_copy_ms", static_cast<int>(took.count()));

    watch.CloseInput();
    EXPECT_EQ(watch.ReadLine(10s), "created 0 mapped 0");
    EXPECT_TRUE(first.Running());
}

TEST(ProgramOnDesktop, ExitFromTheTrayMenuRemovesTheIconEndsTheProcessAndFreesF5)
{
    ASSERT_TRUE(GDesktopReady) << GDesktopProblem;
    TChild program;
    StartProgram(program);
    TXWindow icon;
    ASSERT_TRUE(FindTrayIcon(icon)) << "no tray icon";
    EXPECT_EQ(TryGrabF5(), 1) << "F5 should be held by the program";

    std::string centre = std::to_string(icon.X + icon.Width / 2) + " " + std::to_string(icon.Y + icon.Height / 2);
    RunTool("xdotool mousemove " + centre + " mousedown 3");
    // The menu: a window of the program that is neither the icon nor one of the two big windows.
    ASSERT_TRUE(WaitFor(
        [] {
            for (const TXWindow &w : ProgramWindows())
                if (w.Width > 32 && w.Width < 400 && w.Height > 32 && w.Height < 300)
                    return true;
            return false;
        },
        10s))
        << "the tray menu did not open";
    // "退出软件" is the second item, after the separator.
    RunTool("xdotool mouseup 3 sleep 0.2 key Down Down Return");

    int status = -1;
    ASSERT_TRUE(program.Wait(15s, status)) << "the program did not end";
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(ProgramWindows().empty());
    EXPECT_EQ(TryGrabF5(), 0) << "F5 was not released";
}
