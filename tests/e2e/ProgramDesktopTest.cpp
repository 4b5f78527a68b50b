// SPDX-License-Identifier: GPL-3.0-or-later
// The real program on a real X desktop: a second copy, the exit from the tray menu, the close box on a desktop without
// a tray, and a files folder that cannot be written.
#include "tests/e2e/DesktopSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace
{

// Starts the program and waits until its main window has been painted.
void StartProgram(TChild &program, std::vector<std::string> arguments = {}, std::vector<std::string> environment = {})
{
    arguments.insert(arguments.begin(), KELVARA_PROGRAM);
    environment.push_back("KELVARA_REPORT_SHOWN=1");
    ASSERT_TRUE(program.Start(arguments, environment));
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

// The program's main window once it is on screen; id 0 when it did not come.
TXWindow MainWindow()
{
    TXWindow main;
    WaitFor(
        [&] {
            for (const TXWindow &w : ProgramWindows())
                if (w.Width == 860 && w.Height == 455) {
                    main = w;
                    return true;
                }
            return false;
        },
        10s);
    return main;
}

// Asks the window manager to close the window, as its close box would; true once the window is off screen. A window
// manager still framing a window just mapped may miss the first request: it is asked again then.
bool CloseWithTheWindowManager(const TXWindow &window)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        RunTool("xdotool windowactivate --sync " + std::to_string(window.Id) + " key alt+F4");
        if (WaitFor([&] { return !IsViewable(window.Id); }, 3s))
            return true;
    }
    return false;
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

namespace
{

// Whether the first copy has a runtime folder ($XDG_RUNTIME_DIR) and the second not, or the other way round.
class ProgramStartedTwice : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/kelvara-runtime-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        Runtime = pattern;
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(Runtime, ignored);
    }
    std::string RuntimeFolder(bool given) const { return "XDG_RUNTIME_DIR=" + (given ? Runtime : std::string()); }

    std::string Runtime;
};

} // namespace

TEST_P(ProgramStartedTwice, TheSecondStartBringsTheHiddenCopyToTheFrontAndEndsWithStatusZero)
{
    ASSERT_TRUE(GDesktopReady) << GDesktopProblem;
    const bool firstHasFolder = GetParam();
    TChild first;
    StartProgram(first, {}, { RuntimeFolder(firstHasFolder) });
    TXWindow main = MainWindow();
    ASSERT_NE(main.Id, 0u) << "no main window";
    ASSERT_TRUE(CloseWithTheWindowManager(main)) << "the close box did not hide the main window";

    TChild second;
    ASSERT_TRUE(second.Start({ KELVARA_PROGRAM, "--port", "/dev/null" }, { RuntimeFolder(!firstHasFolder) }));
    int status = -1;
    ASSERT_TRUE(second.Wait(10s, status)) << "the second copy did not end";
    EXPECT_EQ(status, 0);
    std::string said = second.ReadLine(1s, true);
    EXPECT_NE(said.find("the running copy is used"), std::string::npos) << said;
    EXPECT_NE(said.find("--port is not taken over"), std::string::npos) << said;

    EXPECT_TRUE(WaitFor([&] { return IsViewable(main.Id) && ActiveWindow() == main.Id; }, 10s))
        << "the running copy's main window did not come to the front: viewable " << IsViewable(main.Id)
        << ", active window " << ActiveWindow() << " vs " << main.Id;
    EXPECT_TRUE(first.Running());
}

INSTANTIATE_TEST_SUITE_P(
    ProgramOnDesktop, ProgramStartedTwice, ::testing::Bool(), [](const ::testing::TestParamInfo<bool> &info) {
        return info.param ? "FirstWithRuntimeFolder" : "FirstWithoutRuntimeFolder";
    });

TEST(ProgramOnDesktop, WithoutATrayTheCloseBoxEndsTheProgram)
{
    ASSERT_TRUE(GDesktopReady) << GDesktopProblem;
    ASSERT_TRUE(StopTrayHost()) << "the tray host did not go";
    // The next test of this process finds its tray again.
    struct TTrayBack {
        ~TTrayBack() { EXPECT_TRUE(StartTrayHost()) << "the tray host did not come back"; }
    } trayBack;
    TChild program;
    StartProgram(program);
    TXWindow main = MainWindow();
    ASSERT_NE(main.Id, 0u) << "no main window";

    ASSERT_TRUE(CloseWithTheWindowManager(main)) << "the main window stayed";
    int status = -1;
    ASSERT_TRUE(program.Wait(15s, status))
        << "the program lives on without a window to come back to; main window viewable " << IsViewable(main.Id);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(ProgramWindows().empty());
    EXPECT_EQ(TryGrabF5(), 0) << "F5 was not released";
}

TEST(ProgramOnDesktop, AFilesFolderThatCannotBeWrittenIsShownInABoxAndTheProgramRunsOn)
{
    ASSERT_TRUE(GDesktopReady) << GDesktopProblem;
    char pattern[] = "/tmp/kelvara-config-XXXXXX";
    int fd = ::mkstemp(pattern);
    ASSERT_GE(fd, 0);
    ::close(fd);
    const std::string file = pattern;
    struct TRemove {
        std::string Path;
        ~TRemove() { std::remove(Path.c_str()); }
    } remove { file };

    TChild program;
    StartProgram(program, { "--config-dir", file });
    TXWindow main = MainWindow();
    ASSERT_NE(main.Id, 0u) << "no main window";
    TXWindow box;
    ASSERT_TRUE(WaitFor(
        [&] {
            for (const TXWindow &w : ProgramWindows())
                if (w.Id != main.Id && w.Width > 32 && w.Width < 860 && w.Height > 32 && w.Height < 300) {
                    box = w;
                    return true;
                }
            return false;
        },
        10s))
        << "no box";
    EXPECT_NE(
        RunTool("xprop -id " + std::to_string(box.Id) + " _NET_WM_NAME 2>/dev/null").find("提示"), std::string::npos);
    RunTool("xdotool windowactivate --sync " + std::to_string(box.Id) + " key Return");
    EXPECT_TRUE(WaitFor([&] { return !IsViewable(box.Id); }, 10s)) << "the box stayed";
    EXPECT_TRUE(program.Running());
    EXPECT_TRUE(IsViewable(main.Id));
}
