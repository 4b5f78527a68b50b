#include "console/SendLogic.h"

#include "MessageBoxRecorder.h"
#include "console/TimedSendReporter.h"

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

TEST(TimedSendReporter, TicksDuringAnOpenBoxDoNotStackBoxesButNewFailuresAreReportedAfterIt)
{
    TMessageBoxRecorder boxes;
    TTimedSendReporter reporter;
    int depth = 0;
    int deepest = 0;
    std::vector<std::vector<TSendResult>> ticksWhileOpen = {
        // While the first box is open: the same failure again and again, then a recovery and a new failure.
        { TSendResult::SendFailed, TSendResult::SendFailed, TSendResult::Sent, TSendResult::SendFailed },
        // While the follow-up box is open: the failure goes on, nothing new.
        { TSendResult::SendFailed, TSendResult::SendFailed },
    };
    std::size_t box = 0;
    boxes.OnShow = [&](const TMessageBoxRequest &) {
        deepest = std::max(deepest, ++depth);
        if (box < ticksWhileOpen.size()) {
            for (TSendResult tick : ticksWhileOpen[box++])
                reporter.Report(tick); // timer ticks arrive while the box is open
        }
        --depth;
    };
    reporter.Report(TSendResult::SendFailed);
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(boxes.Boxes, (std::vector<TMessageBoxRequest> { SendError, SendError }));
    EXPECT_FALSE(reporter.BoxOpen());

    // A different message while a box is open is a new failure as well; with no box open every failure shows.
    boxes.Boxes.clear();
    box = 0;
    ticksWhileOpen = { { TSendResult::NothingToSend } };
    reporter.Report(TSendResult::SendFailed);
    EXPECT_EQ(boxes.Boxes, (std::vector<TMessageBoxRequest> { SendError, NothingToSend }));
    reporter.Report(TSendResult::Sent);
    reporter.Report(TSendResult::NothingToSend);
    EXPECT_EQ(boxes.Boxes.size(), 3u);
}

} // namespace
