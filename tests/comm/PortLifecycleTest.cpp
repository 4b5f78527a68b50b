// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommTestSupport.h"
#include "comm/SerialComm.h"
#include "comm/WriteThread.h"
#include "tests/support/SerialSimulated.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTemporaryFile>
#include <cerrno>
#include <dirent.h>
#include <gtest/gtest.h>

namespace
{

int OpenDescriptors()
{
    int count = 0;
    if (DIR *dir = opendir("/proc/self/fd")) {
        while (readdir(dir))
            ++count;
        closedir(dir);
    }
    return count;
}

std::string OpenPortFailure(TComm &comm)
{
    try {
        comm.OpenPort();
    } catch (const ECommsError &error) {
        return error.what();
    }
    return "(opened)";
}

class PortLifecycle : public ::testing::Test
{
protected:
    TSerialSimulator Sim;
    TComm Comm { nullptr, Sim.Factory() };
    TEventLog Log { Comm };

    void SetUp() override { Comm.SetCommName("SIM"); }
};

struct TOpenFailure {
    TSimulatedCall Call;
    const char *Text;
    int Error; // the reason the component keeps
};

TEST_F(PortLifecycle, FailedOpensLeaveThePortClosedAndAGoodOpenFollows)
{
    const TOpenFailure failures[] = {
        { TSimulatedCall::Open, "Error opening serial port", ENOENT },
        { TSimulatedCall::CharacterDevice, "File handle is not a comm handle ", ENOTTY },
        { TSimulatedCall::SetupComm, "Cannot setup comm buffer", ENOTTY },
    };
    for (const TOpenFailure &failure : failures) {
        SCOPED_TRACE(failure.Text);
        Sim.Fail(failure.Call);
        EXPECT_EQ(OpenPortFailure(Comm), failure.Text);
        EXPECT_EQ(Comm.OpenError(), failure.Error);
        EXPECT_FALSE(Comm.IsOpen());
        EXPECT_EQ(Sim.OpenDevices(), 0);
        EXPECT_FALSE(Comm.SendData("x", 1));
        Sim.Restore(failure.Call);

        Comm.OpenPort();
        EXPECT_EQ(Comm.OpenError(), 0);
        Sim.Receive("ok");
        EXPECT_TRUE(WaitUntil([&] { return Log.Received == "ok"; }));
        Comm.ClosePort();
        Log.Received.clear();
    }
}

TEST_F(PortLifecycle, SecondOpenFailsAndTheFirstKeepsWorking)
{
    Comm.OpenPort();
    EXPECT_EQ(OpenPortFailure(Comm), "This serial port already opened");
    EXPECT_TRUE(Comm.IsOpen());
    Sim.Receive("still here");
    EXPECT_TRUE(Comm.SendData("and out", 7));
    EXPECT_TRUE(WaitUntil([&] { return Log.Received == "still here" && Sim.Written() == "and out"; }));
}

TEST(PortLifecyclePosix, RealOpenFailuresCloseWhatTheyOpened)
{
    QTemporaryFile regular;
    ASSERT_TRUE(regular.open());
    TPty pty;
    ASSERT_FALSE(pty.SlavePath.empty());

    TComm comm;
    const std::pair<std::string, std::string> failures[] = {
        { "/nonexistent/kelvara-port", "Error opening serial port" },
        { regular.fileName().toStdString(), "File handle is not a comm handle " },
        { "/dev/null", "Cannot setup comm buffer" }, // a character device but no terminal
    };
    int before = OpenDescriptors();
    for (const auto &[name, text] : failures) {
        SCOPED_TRACE(name);
        comm.SetCommName(name);
        EXPECT_EQ(OpenPortFailure(comm), text);
        EXPECT_FALSE(comm.IsOpen());
        EXPECT_EQ(OpenDescriptors(), before);
    }
    comm.SetCommName(pty.SlavePath);
    comm.OpenPort();
    EXPECT_TRUE(comm.IsOpen());
    comm.ClosePort();
}

TEST_F(PortLifecycle, CloseIsIdempotentAndThePortReopens)
{
    Comm.ClosePort();
    Comm.OpenPort();
    Comm.ClosePort();
    EXPECT_FALSE(Comm.IsOpen());
    EXPECT_EQ(Sim.OpenDevices(), 0);
    Comm.ClosePort();
    EXPECT_FALSE(Comm.SendData("x", 1));

    Comm.OpenPort();
    EXPECT_TRUE(Comm.SendData("again", 5));
    EXPECT_TRUE(WaitUntil([&] { return Sim.Written() == "again"; }));
}

TEST_F(PortLifecycle, SendDataRightAfterOpenIsQueued)
{
    Comm.OpenPort();
    EXPECT_TRUE(Comm.SendData("early", 5));
    EXPECT_TRUE(WaitUntil([&] { return Sim.Written() == "early"; }));
}

TEST_F(PortLifecycle, SendDataRefusesWhatCannotBeQueued)
{
    EXPECT_FALSE(Comm.SendData("closed", 6));
    Comm.OpenPort();
    ASSERT_TRUE(WaitUntil([&] { return Log.Count("empty") == 1; }));
    EXPECT_FALSE(Comm.SendData("", 0));
    EXPECT_TRUE(Comm.SendDataEmpty());

    std::string largest(65535, 'L');
    EXPECT_FALSE(Comm.SendData(std::string(65536, 'X').data(), 65536));
    EXPECT_TRUE(Comm.SendData(largest.data(), largest.size()));
    EXPECT_TRUE(WaitUntil([&] { return Sim.Written() == largest && Log.Count("empty") == 2; }));
    EXPECT_TRUE(Comm.SendDataEmpty());
}

TEST_F(PortLifecycle, OtherEventsReachingTheWindowRaiseNothing)
{
    Comm.OpenPort();
    ASSERT_TRUE(WaitUntil([&] { return Log.Count("empty") == 1; }));
    QCoreApplication::postEvent(Comm.NotificationWindow(), new QEvent(static_cast<QEvent::Type>(1024)));
    QCoreApplication::postEvent(Comm.NotificationWindow(), new QEvent(static_cast<QEvent::Type>(1030)));
    // A foreign event carrying a notification code is not a notification either.
    QCoreApplication::postEvent(Comm.NotificationWindow(), new QEvent(static_cast<QEvent::Type>(1025)));
    PumpFor(100ms);
    EXPECT_EQ(Log.Events, std::vector<std::string> { "empty" });
}

TEST(PortLifecycleDestroy, DestroyingAnOpenComponentStopsItsWorkersAndReleasesQueuedBlocks)
{
    TSerialSimulator sim;
    auto comm = std::make_unique<TComm>(nullptr, sim.Factory());
    comm->OpenPort();
    // No handlers: received blocks are released all the same, dispatched or not.
    sim.Receive(std::string(5000, 'r'));
    EXPECT_TRUE(comm->SendData("bye", 3));
    EXPECT_TRUE(WaitUntil([&] { return sim.Written() == "bye"; }));
    sim.Receive("never dispatched");
    usleep(100 * 1000);
    comm.reset();
    EXPECT_EQ(sim.OpenDevices(), 0);
    PumpFor(50ms);
}

TEST_F(PortLifecycle, UndispatchedNotificationsAreBoundedAndTheReceiverWaitsForRoom)
{
    Comm.SetNotificationLimit(2);
    Comm.OpenPort();
    ASSERT_TRUE(WaitUntil([&] { return Log.Count("empty") == 1; }));
    // 5000 waiting bytes are read at once as 2048 + 2048 + 904: the third block waits for room, and the reader takes
    // nothing more meanwhile, however long the event loop does not run.
    Sim.Receive(std::string(5000, 'n'));
    for (int i = 0; i < 10000 && Sim.ReceivePending(); ++i)
        usleep(1000);
    usleep(200 * 1000);
    Sim.Receive("after");
    usleep(300 * 1000);
    EXPECT_TRUE(Sim.ReceivePending()) << "the device holds the rest back";
    ASSERT_TRUE(WaitUntil([&] { return Log.Received.size() == 5005; }));
    EXPECT_EQ(Log.Received, std::string(5000, 'n') + "after");
    EXPECT_EQ(Log.Count("hangup"), 0);

    // A close while the reader waits for room ends it at once.
    Sim.Receive(std::string(8000, 'm'));
    usleep(300 * 1000);
    Comm.SetStopTimeout(60s);
    const auto closing = std::chrono::steady_clock::now();
    Comm.ClosePort();
    EXPECT_LT(std::chrono::steady_clock::now() - closing, 30s) << "the reader left without the stop timeout";
    PumpFor(100ms);
    EXPECT_EQ(Log.Count("hangup"), 0);
}

} // namespace
