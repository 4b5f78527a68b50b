// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/WriteThread.h"

#include "CommTestSupport.h"
#include "comm/SerialComm.h"
#include "tests/support/SerialSimulated.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace
{

class WriteThread : public ::testing::Test
{
protected:
    TSerialSimulator Sim;
    TComm Comm { nullptr, Sim.Factory() };
    TEventLog Log { Comm };

    void Open()
    {
        Comm.OpenPort();
        ASSERT_TRUE(WaitUntil([&] { return Log.Count("empty") == 1; }));
    }

    bool Send(const std::string &bytes) { return Comm.SendData(bytes.data(), bytes.size()); }
};

TEST_F(WriteThread, OneNoticeAfterOpenAndOneAfterBackToBackRequestsWrittenInCallOrder)
{
    Open();
    PumpFor(50ms);
    EXPECT_EQ(Log.Events, std::vector<std::string> { "empty" });

    // Held, the first request stays in its write while the others queue behind it.
    Sim.HoldWrites(true);
    EXPECT_TRUE(Send("one,"));
    EXPECT_TRUE(Send("two,"));
    EXPECT_TRUE(Send("three"));
    EXPECT_FALSE(Comm.SendDataEmpty());
    Sim.HoldWrites(false);
    ASSERT_TRUE(WaitUntil([&] { return Sim.Written() == "one,two,three" && Log.Count("empty") == 2; }));
    PumpFor(100ms);
    EXPECT_EQ(Log.Count("empty"), 2);
    EXPECT_TRUE(Comm.SendDataEmpty());
}

TEST_F(WriteThread, ShortWritesAreContinuedFromTheFirstByteNotWritten)
{
    for (bool pending : { false, true }) {
        SCOPED_TRACE(pending ? "completing through the wait" : "completing at once");
        TSerialSimulator sim;
        TComm comm(nullptr, sim.Factory());
        sim.SetWritesPending(pending);
        sim.LimitNextWrites({ 4 });
        comm.OpenPort();
        ASSERT_TRUE(comm.SendData("0123456789", 10));
        ASSERT_TRUE(WaitUntil([&] { return sim.Written().size() == 10; }));
        EXPECT_EQ(sim.Written(), "0123456789");
        EXPECT_EQ(sim.WriteSizes(), (std::vector<uint32_t> { 4, 6 }));
    }
}

TEST_F(WriteThread, HeldWriteStillLetsClosePortEndTheThreadAndDropsQueuedRequests)
{
    Open();
    Sim.HoldWrites(true);
    EXPECT_TRUE(Send("held"));
    EXPECT_TRUE(Send("queued 1"));
    EXPECT_TRUE(Send("queued 2"));
    Comm.ClosePort();
    // The device is gone at once: neither worker was left running with it.
    EXPECT_EQ(Sim.OpenDevices(), 0);
    EXPECT_EQ(Sim.Written(), "");
    EXPECT_TRUE(Comm.SendDataEmpty());
    EXPECT_FALSE(Send("after close"));
}

TEST_F(WriteThread, AWriteHeldPastTheNoticeTimeIsToldOnceAndWhenItMovesOn)
{
    Comm.OnSendHeld = [this](TComm *, bool held) { Log.Events.push_back(held ? "held" : "moving"); };
    Comm.SetSendHeldNoticeAfter(100ms);
    Open();

    Sim.HoldWrites(true);
    EXPECT_TRUE(Send("held"));
    ASSERT_TRUE(WaitUntil([&] { return Log.Count("held") == 1; }));
    PumpFor(300ms);
    EXPECT_EQ(Log.Count("held"), 1) << "told once, however long the hold lasts";
    Sim.HoldWrites(false);
    ASSERT_TRUE(WaitUntil([&] { return Log.Count("empty") == 2; }));
    EXPECT_EQ(Sim.Written(), "held");
    EXPECT_EQ(Log.Events, (std::vector<std::string> { "empty", "held", "moving", "empty" }));

    // A write that goes through the wait within the time is no news.
    Sim.SetWritesPending(true);
    EXPECT_TRUE(Send("quick"));
    ASSERT_TRUE(WaitUntil([&] { return Log.Count("empty") == 3; }));
    PumpFor(200ms);
    EXPECT_EQ(Log.Count("held"), 1);
    EXPECT_EQ(Sim.Written(), "heldquick");
}

TEST_F(WriteThread, ForeignThreadMessageIsDroppedWithoutANotice)
{
    Open();
    ASSERT_NE(Comm.WriteThread(), nullptr);
    EXPECT_TRUE(Comm.WriteThread()->PostThreadMessage(1030, 7));
    EXPECT_TRUE(Comm.WriteThread()->PostThreadMessage(1024, 0, std::unique_ptr<char[]>(new char[8])));
    PumpFor(150ms);
    EXPECT_EQ(Log.Count("empty"), 1);
    EXPECT_TRUE(Send("real"));
    ASSERT_TRUE(WaitUntil([&] { return Log.Count("empty") == 2; }));
    EXPECT_EQ(Sim.Written(), "real");
}

struct TWriteFailure {
    const char *Name;
    TSimulatedCall Call;
    TIoResult Result;
    bool Pending;
    bool HangsUp;
};

TEST_F(WriteThread, WriteFailuresEndTheThreadAndLaterSendsAreRefused)
{
    const TWriteFailure cases[] = {
        { "write refused", TSimulatedCall::WriteFile, TIoResult::Failed, false, true },
        { "write on a closed handle", TSimulatedCall::WriteFile, TIoResult::InvalidHandle, false, false },
        { "write wait failed", TSimulatedCall::WaitWrite, TIoResult::Failed, true, true },
        { "write completion failed", TSimulatedCall::WriteResult, TIoResult::Failed, true, true },
        { "write completion on a closed handle", TSimulatedCall::WriteResult, TIoResult::InvalidHandle, true, false },
    };
    for (const TWriteFailure &row : cases) {
        SCOPED_TRACE(row.Name);
        TSerialSimulator sim;
        TComm comm(nullptr, sim.Factory());
        TEventLog log(comm);
        sim.SetWritesPending(row.Pending);
        comm.OpenPort();
        ASSERT_TRUE(WaitUntil([&] { return log.Count("empty") == 1; }));
        sim.Fail(row.Call, row.Result);
        EXPECT_TRUE(comm.SendData("doomed", 6));
        // Once the thread has left, every later request is refused.
        EXPECT_TRUE(WaitUntil([&] { return !comm.SendData("later", 5); }));
        PumpFor(50ms);
        EXPECT_EQ(log.Count("hangup"), row.HangsUp ? 1 : 0);
        EXPECT_EQ(log.Count("empty"), 1);
        EXPECT_TRUE(comm.SendDataEmpty());
        comm.ClosePort();
    }
}

TEST_F(WriteThread, HangupComesOnlyAfterSendsAreRefused)
{
    Open();
    Sim.Fail(TSimulatedCall::WriteFile);
    EXPECT_TRUE(Send("doomed"));
    ASSERT_TRUE(WaitUntil([&] { return Log.Count("hangup") == 1; }));
    EXPECT_FALSE(Send("refused"));
}

TEST_F(WriteThread, ClosePortReturnsEvenWhenAWriteNeverReturns)
{
    Comm.SetStopTimeout(300ms);
    Open();
    Sim.StallWrites(true);
    EXPECT_TRUE(Send("stuck"));
    ASSERT_TRUE(WaitUntil([&] { return Sim.WriteIsStalled(); }));
    Comm.ClosePort();
    EXPECT_FALSE(Comm.IsOpen());
    EXPECT_FALSE(Send("closed"));
    // The stuck worker keeps what it uses until its call returns, then ends and lets the device go.
    Sim.StallWrites(false);
    EXPECT_TRUE(WaitUntil([&] { return Sim.OpenDevices() == 0; }));
    Comm.OpenPort();
    EXPECT_TRUE(Send("fresh"));
    EXPECT_TRUE(WaitUntil([&] { return Sim.Written() == "stuckfresh"; }));
}

} // namespace
