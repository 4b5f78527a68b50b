// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SingleInstance.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

// A name no running program uses, so that the tests neither collide with each other nor with a real copy.
std::string TestName(const char *what)
{
    return std::string("kelvara-test-") + what + "-" + std::to_string(::getpid());
}

class EnvironmentGuard
{
public:
    EnvironmentGuard()
    {
        Save("DISPLAY", FDisplay);
        Save("WAYLAND_DISPLAY", FWayland);
        Save("XDG_RUNTIME_DIR", FRuntime);
    }
    ~EnvironmentGuard()
    {
        Restore("DISPLAY", FDisplay);
        Restore("WAYLAND_DISPLAY", FWayland);
        Restore("XDG_RUNTIME_DIR", FRuntime);
    }

private:
    static void Save(const char *name, std::optional<std::string> &slot)
    {
        if (const char *value = std::getenv(name))
            slot = value;
    }
    static void Restore(const char *name, const std::optional<std::string> &slot)
    {
        if (slot)
            setenv(name, slot->c_str(), 1);
        else
            unsetenv(name);
    }
    std::optional<std::string> FDisplay;
    std::optional<std::string> FWayland;
    std::optional<std::string> FRuntime;
};

// The claim is a lock file in the user's runtime folder when there is one, else an abstract socket: both kinds must
// refuse a second copy and free themselves the moment the holder dies.
class SingleInstanceClaim : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        if (GetParam()) {
            ASSERT_TRUE(Runtime.isValid());
            setenv("XDG_RUNTIME_DIR", Runtime.path().toLocal8Bit().constData(), 1);
        } else {
            unsetenv("XDG_RUNTIME_DIR");
        }
    }

    EnvironmentGuard Guard;
    QTemporaryDir Runtime;
};

} // namespace

TEST_P(SingleInstanceClaim, SecondClaimOnTheSameDesktopFailsUntilTheFirstIsReleased)
{
    setenv("DISPLAY", ":42", 1);
    std::string name = TestName("claim");
    TSingleInstance first;
    TSingleInstance second;
    ASSERT_TRUE(first.Acquire(name));
    EXPECT_FALSE(second.Acquire(name));
    EXPECT_FALSE(second.Held());

    // ":42.0" is the same desktop as ":42"; another display is another desktop.
    setenv("DISPLAY", ":42.0", 1);
    EXPECT_FALSE(second.Acquire(name));
    setenv("DISPLAY", ":43", 1);
    TSingleInstance elsewhere;
    EXPECT_TRUE(elsewhere.Acquire(name));

    setenv("DISPLAY", ":42", 1);
    first.Release();
    EXPECT_TRUE(second.Acquire(name));
}

TEST_P(SingleInstanceClaim, ClaimOfAKilledProcessIsFreeAtOnce)
{
    std::string name = TestName("killed");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TSingleInstance held;
        char answer = held.Acquire(name) ? 'y' : 'n';
        (void)!::write(ready[1], &answer, 1);
        ::pause();
        ::_exit(0);
    }
    ::close(ready[1]);
    char answer = 0;
    ASSERT_EQ(::read(ready[0], &answer, 1), 1);
    ::close(ready[0]);
    ASSERT_EQ(answer, 'y');

    TSingleInstance mine;
    EXPECT_FALSE(mine.Acquire(name));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(mine.Acquire(name));
}

INSTANTIATE_TEST_SUITE_P(SingleInstance, SingleInstanceClaim, ::testing::Values(false, true),
    [](const ::testing::TestParamInfo<bool> &info) { return info.param ? "RuntimeFolder" : "AbstractSocket"; });

TEST(SingleInstance, TheLockFileLivesInTheRuntimeFolder)
{
    EnvironmentGuard guard;
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    setenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit().constData(), 1);
    setenv("DISPLAY", ":7.0", 1);
    TSingleInstance instance;
    ASSERT_TRUE(instance.Acquire(TestName("file")));
    EXPECT_TRUE(QFileInfo::exists(runtime.filePath(QString::fromStdString(TestName("file") + "-:7.lock"))));

    // A Wayland display given as a path still names one file in the folder.
    unsetenv("DISPLAY");
    setenv("WAYLAND_DISPLAY", "/run/user/0/wayland-0", 1);
    TSingleInstance wayland;
    ASSERT_TRUE(wayland.Acquire(TestName("file")));
    EXPECT_TRUE(QFileInfo::exists(
        runtime.filePath(QString::fromStdString(TestName("file") + "-wayland:_run_user_0_wayland-0.lock"))));
}

TEST(SingleInstance, DesktopNameDropsTheScreenNumber)
{
    EnvironmentGuard guard;
    struct Case {
        const char *Display;
        const char *Wayland;
        std::string Expected;
    };
    const Case cases[] = {
        { ":0", nullptr, ":0" },
        { ":0.1", nullptr, ":0" },
        { "host.example:10.0", nullptr, "host.example:10" },
        { "/tmp/launch-x/org.xquartz:0", nullptr, "/tmp/launch-x/org.xquartz:0" },
        { nullptr, "wayland-1", "wayland:wayland-1" },
        { nullptr, nullptr, "" },
    };
    for (const Case &c : cases) {
        c.Display ? setenv("DISPLAY", c.Display, 1) : unsetenv("DISPLAY");
        c.Wayland ? setenv("WAYLAND_DISPLAY", c.Wayland, 1) : unsetenv("WAYLAND_DISPLAY");
        EXPECT_EQ(TSingleInstance::DesktopName(), c.Expected) << (c.Display ? c.Display : "(no DISPLAY)");
    }
}

TEST(SingleInstance, OneCopyWhetherOrNotEachStartHasARuntimeFolder)
{
    EnvironmentGuard guard;
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    setenv("DISPLAY", ":42", 1);
    const std::string name = TestName("mixed");
    auto startWith = [&](bool runtimeFolder) {
        if (runtimeFolder)
            setenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit().constData(), 1);
        else
            unsetenv("XDG_RUNTIME_DIR");
    };
    for (bool firstHasFolder : { true, false }) {
        SCOPED_TRACE(firstHasFolder ? "first with the runtime folder" : "first without it");
        startWith(firstHasFolder);
        TSingleInstance first;
        ASSERT_TRUE(first.Acquire(name));
        startWith(!firstHasFolder);
        TSingleInstance second;
        EXPECT_FALSE(second.Acquire(name));
        first.Release();
        EXPECT_TRUE(second.Acquire(name));
    }
}

TEST(SingleInstance, ANewStartAsksTheRunningCopyToShowItself)
{
    EnvironmentGuard guard;
    unsetenv("XDG_RUNTIME_DIR");
    setenv("DISPLAY", ":42", 1);
    const std::string name = TestName("show");
    EXPECT_FALSE(TSingleInstance::AskToShow(name)) << "no copy runs";

    TSingleInstance running;
    ASSERT_TRUE(running.Acquire(name));
    ASSERT_GE(running.RequestSocket(), 0);
    EXPECT_FALSE(running.TakeShowRequests());

    // Requests wait until the running copy takes them; several count as one.
    EXPECT_TRUE(TSingleInstance::AskToShow(name));
    EXPECT_TRUE(TSingleInstance::AskToShow(name));
    EXPECT_TRUE(running.TakeShowRequests());
    EXPECT_FALSE(running.TakeShowRequests());

    // Another desktop's start reaches another copy.
    setenv("DISPLAY", ":43", 1);
    EXPECT_FALSE(TSingleInstance::AskToShow(name));
    setenv("DISPLAY", ":42", 1);
    running.Release();
    EXPECT_FALSE(TSingleInstance::AskToShow(name));
}
