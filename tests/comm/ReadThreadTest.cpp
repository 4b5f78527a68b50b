// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommTestSupport.h"
#include "comm/SerialComm.h"
#include "tests/support/SerialSimulated.h"

#include <gtest/gtest.h>

namespace
{

std::string Pattern(std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>('A' + i % 26);
    return bytes;
}

class ReadThread : public ::testing::Test
{
protected:
    TSerialSimulator Sim;
    TComm Comm { nullptr, Sim.Factory() };
    TEventLog Log { Comm };

    void Open()
    {
        Comm.OpenPort();
        // The send thread's first notice shows that both workers run.
        ASSERT_TRUE(WaitUntil([&] { return Log.Count("empty") == 1; }));
        Log.Events.clear();
    }

    // After the receive thread has ended nothing more arrives.
    void ExpectNothingMoreReceived()
    {
        std::string before = Log.Received;
        Sim.Receive("late");
        PumpFor(200ms);
        EXPECT_EQ(Log.Received, before);
    }
};

TEST_F(ReadThread, BurstArrivesInOrderInChunksOfAtMost2048)
{
    Open();
    std::string burst = Pattern(5000);
    Sim.Receive(burst);
    ASSERT_TRUE(WaitUntil([&] { return Log.Received.size() == burst.size(); }));
    EXPECT_EQ(Log.Received, burst);
    for (const std::string &chunk : Log.Chunks)
        EXPECT_LE(chunk.size(), 2048u);
    EXPECT_GE(Log.Chunks.size(), 3u);
    EXPECT_TRUE(Log.BlocksEndInZero);
    EXPECT_EQ(Log.Sender, &Comm);
}

TEST_F(ReadThread, ZeroBytesInsideTheDataAreDeliveredAndCounted)
{
    Open();
    const std::string bytes("a\0b\0\0c", 6);
    Sim.Receive(bytes);
    ASSERT_TRUE(WaitUntil([&] { return Log.Received.size() == bytes.size(); }));
    EXPECT_EQ(Log.Received, bytes);
    EXPECT_TRUE(Log.BlocksEndInZero);
}

TEST_F(ReadThread, LineErrorIsReportedAndReceptionGoesOn)
{
    Open();
    Sim.SignalCommEvent(EvErr, CeFrame);
    Sim.Receive("after the error", 20ms);
    ASSERT_TRUE(WaitUntil([&] { return Log.Received == "after the error"; }));
    EXPECT_EQ(Log.Events, (std::vector<std::string> { "error:8", "data" }));
}

struct TCommEventCase {
    const char *Name;
    uint32_t Mask;
    uint32_t Errors;
    std::vector<std::string> Events;
};

TEST_F(ReadThread, CommEventsBecomeErrorAndModemNotifications)
{
    Open();
    const TCommEventCase cases[] = {
        { "ring", EvRing, 0, { "modem:4" } },
        { "carrier", EvRlsd, 0, { "modem:8" } },
        { "ring and carrier", EvRing | EvRlsd, 0, { "modem:12" } },
        { "error before ring", EvErr | EvRing, CeFrame | CeRxParity, { "error:12", "modem:4" } },
    };
    for (const TCommEventCase &row : cases) {
        SCOPED_TRACE(row.Name);
        Log.Events.clear();
        Sim.SignalCommEvent(row.Mask, row.Errors);
        EXPECT_TRUE(WaitUntil([&] { return Log.Events.size() == row.Events.size(); }));
        PumpFor(20ms);
        EXPECT_EQ(Log.Events, row.Events);
    }
}

TEST_F(ReadThread, EmptyEventMaskHangsUpAndReceptionEnds)
{
    Open();
    Sim.SignalCommEvent(0);
    ASSERT_TRUE(WaitUntil([&] { return Log.Count("hangup") == 1; }));
    ExpectNothingMoreReceived();
    EXPECT_TRUE(Comm.IsOpen());
    Comm.ClosePort();
    EXPECT_EQ(Sim.OpenDevices(), 0);
}

TEST_F(ReadThread, ClosingWhileAReadIsPendingRaisesNoHangup)
{
    Open();
    Comm.ClosePort();
    PumpFor(100ms);
    EXPECT_EQ(Log.Count("hangup"), 0);
}

TEST_F(ReadThread, VanishedDeviceHangsUp)
{
    Open();
    Sim.Receive("last words");
    ASSERT_TRUE(WaitUntil([&] { return Log.Received == "last words"; }));
    Sim.Vanish();
    ASSERT_TRUE(WaitUntil([&] { return Log.Count("hangup") == 1; }));
    Comm.ClosePort();
    EXPECT_EQ(Sim.OpenDevices(), 0);
}

TEST_F(ReadThread, TheHangupHandlerMayCloseThePortAndOpenItAgain)
{
    int hangups = 0;
    Comm.OnRequestHangup = [&hangups](TComm *sender) {
        ++hangups;
        sender->ClosePort();
    };
    Open();
    Sim.Receive("last words");
    ASSERT_TRUE(WaitUntil([&] { return Log.Received == "last words"; }));
    Sim.Vanish();
    ASSERT_TRUE(WaitUntil([&] { return hangups >= 1; }));
    PumpFor(100ms);
    EXPECT_FALSE(Comm.IsOpen());
    EXPECT_EQ(Sim.OpenDevices(), 0);

    Comm.OpenPort();
    Sim.Receive("again");
    EXPECT_TRUE(WaitUntil([&] { return Log.Received == "last wordsagain"; }));
}

// Script steps: the gap before them (ms) and their bytes.
struct TPacingCase {
    const char *Name;
    uint32_t Interval;
    std::vector<std::pair<int, std::string>> Script;
    std::vector<std::string> Chunks;
};

// The line's clock moves only when the test says, so the chunks follow from the timeouts alone.
TEST(ReadThreadPacing, ReadsEndAfterTheIntervalOrAtMost100msAfterTheirFirstByte)
{
    std::vector<std::pair<int, std::string>> steady;
    for (int i = 0; i < 10; ++i)
        steady.emplace_back(i == 0 ? 10 : 50, "L" + std::to_string(i) + "\r\n");
    const TPacingCase cases[] = {
        { "a line every 50 ms, never a 100 ms pause", 100, steady,
            { "L0\r\nL1\r\nL2\r\n", "L3\r\nL4\r\nL5\r\n", "L6\r\nL7\r\nL8\r\n", "L9\r\n" } },
        { "a pause longer than a short interval", 20,
            { { 10, "a" }, { 10, "b" }, { 10, "c" }, { 50, "d" }, { 10, "e" } }, { "abc", "de" } },
        { "bytes close together, then a pause", 100, { { 10, "1234" }, { 30, "5678" }, { 150, "9" } },
            { "12345678", "9" } },
    };
    for (const TPacingCase &row : cases) {
        SCOPED_TRACE(row.Name);
        TSerialSimulator sim;
        sim.UseManualClock();
        TComm comm(nullptr, sim.Factory());
        comm.SetReadIntervalTimeout(row.Interval);
        TEventLog log(comm);
        comm.OpenPort();
        ASSERT_TRUE(WaitUntil([&] { return log.Count("empty") == 1; }));
        std::string all;
        for (const auto &[gap, bytes] : row.Script) {
            sim.Receive(bytes, std::chrono::milliseconds(gap));
            all += bytes;
        }
        for (int ms = 0; ms < 1000; ms += 10)
            sim.AdvanceClock(10ms);
        ASSERT_TRUE(WaitUntil([&] { return log.Received.size() == all.size(); }));
        EXPECT_EQ(log.Chunks, row.Chunks);
        comm.ClosePort();
    }
}

struct TFailureCase {
    const char *Name;
    TSimulatedCall Call;
    TIoResult Result;
    std::function<void(TSerialSimulator &)> Trigger;
    bool HangsUp;
};

TEST_F(ReadThread, FailuresEndTheThreadWithOrWithoutHangup)
{
    auto data = [](TSerialSimulator &sim) { sim.Receive("x"); };
    auto error = [](TSerialSimulator &sim) { sim.SignalCommEvent(EvErr, CeOverrun); };
    auto ring = [](TSerialSimulator &sim) { sim.SignalCommEvent(EvRing); };
    auto nothing = [](TSerialSimulator &) {};
    const TFailureCase cases[] = {
        { "comm mask refused", TSimulatedCall::SetCommMask, TIoResult::Failed, nothing, true },
        { "read refused", TSimulatedCall::ReadFile, TIoResult::Failed, nothing, true },
        { "read on a closed handle", TSimulatedCall::ReadFile, TIoResult::InvalidHandle, nothing, false },
        { "comm-event wait refused", TSimulatedCall::WaitCommEvent, TIoResult::Failed, nothing, true },
        { "wait failed", TSimulatedCall::WaitReceive, TIoResult::Failed, nothing, true },
        { "read completion failed", TSimulatedCall::ReadResult, TIoResult::Failed, data, true },
        { "read completion on a closed handle", TSimulatedCall::ReadResult, TIoResult::InvalidHandle, data, false },
        { "comm-event completion failed", TSimulatedCall::CommEventResult, TIoResult::Failed, ring, true },
        { "line error not cleared", TSimulatedCall::ClearCommError, TIoResult::Failed, error, true },
    };
    for (const TFailureCase &row : cases) {
        SCOPED_TRACE(row.Name);
        TSerialSimulator sim;
        TComm comm(nullptr, sim.Factory());
        TEventLog log(comm);
        sim.CompleteAtOnce(false);
        sim.Fail(row.Call, row.Result);
        comm.OpenPort();
        ASSERT_TRUE(WaitUntil([&] { return log.Count("empty") == 1; }));
        row.Trigger(sim);
        // Once the hang-up has been seen the thread has ended, so a restored device gets no more reads.
        if (row.HangsUp) {
            EXPECT_TRUE(WaitUntil([&] { return log.Count("hangup") == 1; }));
            sim.Restore(row.Call);
        }
        sim.Receive("late");
        PumpFor(150ms);
        EXPECT_EQ(log.Received, "");
        EXPECT_EQ(log.Count("hangup"), row.HangsUp ? 1 : 0);
        comm.ClosePort();
    }
}

} // namespace
