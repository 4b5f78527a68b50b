// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/send/SendLogic.h"

#include "MessageBoxRecorder.h"
#include "console/send/TimedSendReporter.h"

#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace
{

// A serial component stand-in: records every request, answers as told.
struct TRecordingPort {
    bool Open = true;
    std::vector<std::string> Requests;
    TSendFunction Sender()
    {
        return [this](const char *data, unsigned count) {
            Requests.emplace_back(data, count);
            return Open && count > 0;
        };
    }
};

const TMessageBoxRequest NothingToSend { "无数据可发送，请先输入要发送的数据", "提示", mbIconExclamation };
const TMessageBoxRequest SendError { "数据发送错误，请检查串口是否打开", "提示", mbIconStop };

TEST(SendLogic, SendBoxTextGoesOutAsGbkWithCrLf)
{
    EXPECT_EQ(SendBoxBytes("ABC"), "ABC");
    EXPECT_EQ(SendBoxBytes("A\nB\n"), "A\r\nB\r\n");
    EXPECT_EQ(SendBoxBytes("A\r\nB"), "A\r\nB");
    EXPECT_EQ(SendBoxBytes("中文"), "\xD6\xD0\xCE\xC4");
}

TEST(SendLogic, TextThenTrailerAndLongTextsInConsecutiveRequests)
{
    TMessageBoxRecorder boxes;
    TRecordingPort port;
    EXPECT_EQ(SendAndReport("ABC", port.Sender()), TSendResult::Sent);
    EXPECT_EQ(port.Requests, (std::vector<std::string> { "ABC", "[RS]" }));
    EXPECT_TRUE(boxes.Boxes.empty());

    port.Requests.clear();
    std::string text(2 * MaxSendRequest + 10, 'x');
    text[MaxSendRequest] = 'y';
    EXPECT_EQ(SendText(text, port.Sender()), TSendResult::Sent);
    ASSERT_EQ(port.Requests.size(), 4u);
    EXPECT_EQ(port.Requests[0].size(), MaxSendRequest);
    EXPECT_EQ(port.Requests[1].size(), MaxSendRequest);
    EXPECT_EQ(port.Requests[1][0], 'y');
    EXPECT_EQ(port.Requests[2].size(), 10u);
    EXPECT_EQ(port.Requests[0] + port.Requests[1] + port.Requests[2], text);
    EXPECT_EQ(port.Requests[3], "[RS]");
}

TEST(SendLogic, ClosedPortIsReportedOnceAndEmptyTextSendsNothing)
{
    TMessageBoxRecorder boxes;
    TRecordingPort port;
    port.Open = false;
    EXPECT_EQ(SendAndReport("ABC", port.Sender()), TSendResult::SendFailed);
    EXPECT_EQ(boxes.Boxes, std::vector<TMessageBoxRequest> { SendError });
    EXPECT_EQ(port.Requests.size(), 2u);

    boxes.Boxes.clear();
    port.Requests.clear();
    EXPECT_EQ(SendAndReport("", port.Sender()), TSendResult::NothingToSend);
    EXPECT_EQ(boxes.Boxes, std::vector<TMessageBoxRequest> { NothingToSend });
    EXPECT_TRUE(port.Requests.empty());
}

TEST(SendLogic, SendAndSaveAppendsToAnExistingHistoryOnly)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("txt.txt")).toStdString();
    TMessageBoxRecorder boxes;
    TRecordingPort port;
    port.Open = false;

    SendSaveAndReport("A\r\nB", port.Sender(), path); // no history file: not created
    EXPECT_EQ(boxes.Boxes, (std::vector<TMessageBoxRequest> { SendError, { "数据保存错误", " 示", mbIconStop } }));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));

    std::ofstream(path, std::ios::binary) << "old\r\n";
    boxes.Boxes.clear();
    SendSaveAndReport("A\r\nB", port.Sender(), path); // saved although the send failed
    EXPECT_EQ(
        boxes.Boxes, (std::vector<TMessageBoxRequest> { SendError, { "数据保存成功", " 示", mbIconInformation } }));
    std::stringstream saved;
    saved << std::ifstream(path, std::ios::binary).rdbuf();
    EXPECT_EQ(saved.str(), "old\r\nA\r\nB\r\n");

    boxes.Boxes.clear();
    port.Requests.clear();
    SendSaveAndReport("", port.Sender(), path);
    EXPECT_EQ(boxes.Boxes, std::vector<TMessageBoxRequest> { NothingToSend });
    EXPECT_TRUE(port.Requests.empty());
}

TEST(SendLogic, TimedSendButtonDecidesByTextAndCaption)
{
    TMessageBoxRecorder boxes;
    EXPECT_EQ(TimedSendButtonAction(false, TimedSendCaption), TTimedSendAction::ChooseInterval);
    EXPECT_EQ(TimedSendButtonAction(false, StopSendCaption), TTimedSendAction::Stop);
    EXPECT_TRUE(boxes.Boxes.empty());
    EXPECT_EQ(TimedSendButtonAction(true, StopSendCaption), TTimedSendAction::NothingToSend);
    EXPECT_EQ(boxes.Boxes, std::vector<TMessageBoxRequest> { NothingToSend });
}

TEST(TimedSendReporter, AFailingTickStopsTheTimedSendThenShowsOneBox)
{
    struct TCase {
        const char *Name;
        TSendResult Tick;
        std::vector<TMessageBoxRequest> Boxes;
    };
    const TCase cases[] = {
        { "sent", TSendResult::Sent, {} },
        { "port closed", TSendResult::SendFailed, { SendError } },
        { "send box emptied", TSendResult::NothingToSend, { NothingToSend } },
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        TMessageBoxRecorder boxes;
        TTimedSendReporter reporter;
        bool running = true;
        bool stoppedBeforeBox = false;
        boxes.OnShow = [&](const TMessageBoxRequest &) { stoppedBeforeBox = !running; };
        reporter.Report(c.Tick, [&] { running = false; });
        EXPECT_EQ(running, c.Boxes.empty());
        EXPECT_EQ(stoppedBeforeBox, !c.Boxes.empty());
        EXPECT_EQ(boxes.Boxes, c.Boxes);
        EXPECT_FALSE(reporter.BoxOpen());
    }
}

TEST(TimedSendReporter, AFailureWhileTheBoxIsOpenAddsNoBox)
{
    TMessageBoxRecorder boxes;
    TTimedSendReporter reporter;
    int stops = 0;
    int depth = 0;
    int deepest = 0;
    boxes.OnShow = [&](const TMessageBoxRequest &) {
        deepest = std::max(deepest, ++depth);
        // A tick that was already due when the timer stopped, or one of a timed send started again meanwhile.
        reporter.Report(TSendResult::SendFailed, [&] { ++stops; });
        reporter.Report(TSendResult::NothingToSend, [&] { ++stops; });
        EXPECT_TRUE(reporter.BoxOpen());
        --depth;
    };
    reporter.Report(TSendResult::SendFailed, [&] { ++stops; });
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(stops, 3);
    EXPECT_EQ(boxes.Boxes, std::vector<TMessageBoxRequest> { SendError });

    // Once the box is closed the next failure shows its box again.
    boxes.OnShow = nullptr;
    reporter.Report(TSendResult::SendFailed, [&] { ++stops; });
    EXPECT_EQ(boxes.Boxes.size(), 2u);
}

} // namespace
