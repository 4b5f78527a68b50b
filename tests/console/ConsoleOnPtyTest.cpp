// SPDX-License-Identifier: GPL-3.0-or-later
// The console's receive and send paths on the real serial component, with a pty as the device.
#include "MessageBoxRecorder.h"
#include "comm/SerialComm.h"
#include "console/IntervalForm.h"
#include "console/plotfeed/PlotQueue.h"
#include "console/plotfeed/ReceivePipeline.h"
#include "console/receive/ReceiveCapture.h"
#include "console/receive/ReceiveLog.h"
#include "console/receive/ReceivePane.h"
#include "console/send/SendLogic.h"
#include "console/send/TimedSendReporter.h"
#include "tests/support/Pty.h"
#include "tests/support/WaitUntil.h"

#include <QApplication>
#include <QTimer>
#include <gtest/gtest.h>

namespace
{

using namespace std::chrono_literals;

class ConsoleOnPty : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Pty.Valid());
        MainPane.SetLog(Log);
        FloatingPane.SetLog(Log);
        Comm1.OnReceiveData = [this](TComm *sender, const char *buffer, uint16_t length) {
            Pipeline.TakeChunk(std::string_view(buffer, length), sender->ReceivedRuns());
            ++Chunks;
        };
        Comm1.SetCommName(Pty.SlavePath);
        Comm1.OpenPort();
    }

    TSendFunction Sender()
    {
        return [this](const char *data, unsigned count) { return Comm1.SendData(data, count); };
    }

    TPty Pty { TPty::Raw };
    std::shared_ptr<TReceiveLog> Log = std::make_shared<TReceiveLog>();
    TReceivePane MainPane;
    TReceivePane FloatingPane;
    TPlotQueue Memo3;
    TReceiveCapture Capture;
    TReceivePipeline Pipeline { *Log, Memo3, Capture, [] {} };
    TComm Comm1;
    int Chunks = 0;
    TMessageBoxRecorder Boxes;
};

TEST_F(ConsoleOnPty, LinesContinueAcrossReadsInBothPanesAndThePlotQueueOrEachReadIsALineOfItsOwn)
{
    const auto send = [&](std::string_view bytes) {
        const int before = Chunks;
        Pty.Write(std::string(bytes));
        ASSERT_TRUE(WaitUntil([&] { return Chunks == before + 1; }));
    };
    send("12345\r\n");
    send("678");
    send("9\r"); // a CR LF cut in two by the reads: one line break, no empty line
    send("\n12");
    send(std::string_view("\x33\x00\x34", 3)); // a chunk's text ends at its zero byte

    EXPECT_EQ(MainPane.PlainText(), QStringLiteral("12345\n6789\n123"));
    EXPECT_EQ(MainPane.Text().Bytes(), "12345\r\n6789\r\n123") << "saved as received";
    std::vector<std::string> queued;
    for (; !Memo3.Empty(); Memo3.RemoveFirstLine())
        queued.emplace_back(Memo3.FirstLine());
    EXPECT_EQ(queued, (std::vector<std::string> { "12345", "6789" })) << "the open line waits for its end";

    // Every read on a line of its own: the open line ends before the read, which ends in CR LF itself.
    Pipeline.SetChunkLines(true);
    send("45");
    EXPECT_EQ(MainPane.PlainText(), QStringLiteral("12345\n6789\n123\n45"));
    EXPECT_EQ(MainPane.Text().Bytes(), "12345\r\n6789\r\n123\r\n45\r\n");
    MainPane.Clear();
    EXPECT_EQ(FloatingPane.LineCount(), 4u);
    for (; !Memo3.Empty(); Memo3.RemoveFirstLine())
        queued.emplace_back(Memo3.FirstLine());
    EXPECT_EQ(queued, (std::vector<std::string> { "12345", "6789", "123", "45" }));
}

TEST_F(ConsoleOnPty, SendPutsTheTextAndTrailerOnTheLineAndAClosedPortIsReportedOnce)
{
    EXPECT_EQ(SendAndReport(SendBoxBytes("ABC"), Sender()), TSendResult::Sent);
    EXPECT_EQ(Pty.Read(7), "ABC[RS]");
    EXPECT_TRUE(Boxes.Boxes.empty());

    const std::string big(70000, 'z');
    EXPECT_EQ(SendAndReport(big, Sender()), TSendResult::Sent);
    EXPECT_EQ(Pty.Read(big.size() + 4), big + "[RS]");

    Comm1.ClosePort();
    EXPECT_EQ(SendAndReport(SendBoxBytes("ABC"), Sender()), TSendResult::SendFailed);
    EXPECT_EQ(Boxes.Texts(), std::vector<std::string> { "数据发送错误，请检查串口是否打开" });
}

TEST_F(ConsoleOnPty, TimedSendRepeatsUntilStopped)
{
    QTimer Timer2;
    TTimedSendReporter reporter;
    QObject::connect(
        &Timer2, &QTimer::timeout, [&] { reporter.Report(SendText("T", Sender()), [&] { Timer2.stop(); }); });
    StartSendTimer(&Timer2, 10);
    std::string received;
    ASSERT_TRUE(WaitUntil([&] {
        received += Pty.Read(1, 0ms);
        return received.size() >= 5 * 5;
    }));
    Timer2.stop();
    PumpFor(100ms);
    Pty.Read(1 << 16, 200ms); // whatever was still on its way
    PumpFor(100ms);
    EXPECT_EQ(Pty.Read(1, 200ms), "");
    EXPECT_EQ(received.substr(0, 10), "T[RS]T[RS]");
    EXPECT_TRUE(Boxes.Boxes.empty());
}

} // namespace
