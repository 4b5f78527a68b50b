// SPDX-License-Identifier: GPL-3.0-or-later
// The receive pipeline without a window: a received block reaches the panes' log, the capture and the PlotQueue,
// dated by its runs; the plot feed's schedule wakes for whole lines and holds while paused.
#include "console/plotfeed/ReceivePipeline.h"

#include "chart/Plot.h"
#include "chart/PlotChannel.h"
#include "chart/PlotDescription.h"
#include "chart/PlotManualClock.h"
#include "chart/PlotMasterManager.h"
#include "console/plotfeed/PlotFeed.h"
#include "console/plotfeed/PlotQueue.h"
#include "console/receive/ReceiveCapture.h"
#include "console/receive/ReceiveLog.h"
#include "console/receive/ReceiveText.h"
#include "tests/support/FileBytes.h"

#include <QTemporaryDir>
#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{

int64_t SteadyNsAgo(double seconds)
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
               .count()
        - static_cast<int64_t>(seconds * 1e9);
}

struct TPipelineFixture {
    std::shared_ptr<TReceiveLog> Log = std::make_shared<TReceiveLog>();
    TReceiveText Pane { Log };
    TPlotQueue Queue;
    TReceiveCapture Capture;
    int Steps = 0;
    TReceivePipeline Pipeline { *Log, Queue, Capture, [this] {
                                   ++Steps;
                                   while (!Queue.Empty())
                                       Queue.RemoveFirstLine();
                               } };
    double ChartNow = 100.0;

    TPipelineFixture()
    {
        Pipeline.SetChartClock([this] { return ChartNow; });
        Log->SetClock([] { return int64_t(1'700'000'000'000); });
    }
};

// The pipeline as the main window has it: its lines go to a feed and a chart.
struct TChartFixture {
    std::shared_ptr<TReceiveLog> Log = std::make_shared<TReceiveLog>();
    TReceiveText Pane { Log };
    TPlotQueue Queue;
    TReceiveCapture Capture;
    TPlotManualClock Clock;
    TPlot Plot { nullptr, &Clock };
    TPlotFeed Feed { Queue, Plot };
    TReceivePipeline Pipeline { *Log, Queue, Capture, [this] { Feed.Step(); } };

    TChartFixture()
    {
        LoadStripChartDescription(Plot);
        TPlotFeed::SetUpChart(Plot);
        Pipeline.SetPlotFeed(&Feed);
    }

    std::vector<std::string> PaneLines() const
    {
        std::vector<std::string> lines;
        for (uint64_t i = 0; i < Pane.LineCount(); ++i)
            lines.emplace_back(Pane.Line(i));
        return lines;
    }

    // Every channel of the chart as "title=value value ...", channel after channel.
    std::vector<std::string> Channels()
    {
        while (Feed.Step() > 0) { }
        std::vector<std::string> channels;
        for (int k = 0; k < Plot.Master().Channels().Count(); ++k) {
            const TPlotChannel &channel = *Plot.Channel(k);
            std::string text = channel.TitleText().toStdString() + "=";
            for (int i = 0; i < channel.Count(); ++i)
                text += (i ? " " : "") + std::to_string(static_cast<int>(channel.Y(i)));
            channels.push_back(text);
        }
        return channels;
    }
};

TEST(ReceivePipeline, ABlockReachesEverySinkAndItsLinesStandWhereTheirRunsCame)
{
    TPipelineFixture f;
    QTemporaryDir folder;
    std::string error;
    const std::string path = folder.filePath("capture.bin").toStdString();
    ASSERT_TRUE(f.Capture.Start(path, error)) << error;

    // Two runs: "1\n2" came 50 ms ago, "\n3\n" now; the bytes after the zero byte are no text.
    const std::string block("1\n2\n3\n\0z", 8);
    const TReadRun runs[] = { { 3, SteadyNsAgo(0.05) }, { 8, SteadyNsAgo(0) } };
    f.Pipeline.TakeChunk(block, runs);
    f.Capture.Stop();

    EXPECT_EQ(FileBytes(path), block) << "the capture takes every byte";
    EXPECT_EQ(f.Pane.Bytes(), "1\n2\n3\n");
    EXPECT_EQ(f.Log->ChunkBytes(0), block) << "the hex view shows the block whole";
    EXPECT_NEAR(f.Log->LineArrival(0) / 1000.0, 1'700'000'000.0 - 0.05, 0.01);
    EXPECT_NEAR(f.Log->LineArrival(2) / 1000.0, 1'700'000'000.0, 0.01);

    ASSERT_EQ(f.Queue.Lines(), 3u);
    EXPECT_NEAR(f.Queue.FirstLineTime(), 99.95, 0.01) << "completed by the first run";
    f.Queue.RemoveFirstLine();
    EXPECT_NEAR(f.Queue.FirstLineTime(), 99.975, 0.01) << "the second run's two lines share the 50 ms since the first";
    f.Queue.RemoveFirstLine();
    EXPECT_NEAR(f.Queue.FirstLineTime(), 100.0, 0.01);
}

TEST(ReceivePipeline, TheFeedWakesForWholeLinesAndHoldsWhilePausedHoweverMuchArrives)
{
    TPipelineFixture f;
    QTimer &timer = f.Pipeline.Feed().Timer();
    f.Pipeline.TakeChunk("12");
    EXPECT_FALSE(timer.isActive()) << "no whole line yet";
    f.Pipeline.TakeChunk("3\n");
    EXPECT_TRUE(timer.isActive());
    f.Pipeline.Feed().Step();
    EXPECT_EQ(f.Steps, 1);
    EXPECT_FALSE(timer.isActive()) << "nothing left: the feed sleeps";

    f.Pipeline.Feed().Pause();
    f.Pipeline.Feed().Pause();
    f.Pipeline.TakeChunk("4\n");
    EXPECT_FALSE(timer.isActive());
    f.Pipeline.Feed().Step(); // a step already due does nothing while paused
    EXPECT_EQ(f.Steps, 1);
    f.Pipeline.Feed().Resume();
    f.Pipeline.TakeChunk("5\n");
    EXPECT_FALSE(timer.isActive()) << "one pause is still held";
    f.Pipeline.Feed().Resume();
    EXPECT_TRUE(timer.isActive()) << "the last resume wakes the feed for what came meanwhile";
    f.Pipeline.Feed().Resume(); // one resume too many changes nothing
    f.Pipeline.Feed().Pause();
    EXPECT_FALSE(timer.isActive());
}

TEST(ReceivePipeline, WhileTheFeedReadsFramesTheBlockGoesToItWholeZeroBytesIncluded)
{
    TPipelineFixture f;
    TPlotManualClock clock;
    TPlot plot(nullptr, &clock);
    LoadStripChartDescription(plot);
    TPlotFeed feed(f.Queue, plot);
    TFrameFormat format; // no header: one int16 after another
    feed.SetBinaryFrames(format);
    f.Pipeline.SetPlotFeed(&feed);

    const std::string block("\x00\x00\x0A\x00\xFF\xFF", 6);
    const TReadRun runs[] = { { 6, SteadyNsAgo(0.5) } };
    f.Pipeline.TakeChunk(block, runs);
    EXPECT_EQ(f.Queue.Lines(), 0u) << "no text reaches the PlotQueue";
    EXPECT_EQ(f.Log->ChunkBytes(0), block) << "the panes still show every byte";
    EXPECT_TRUE(f.Pipeline.Feed().Timer().isActive()) << "waiting samples wake the feed";

    feed.Step();
    const TPlotChannel &channel = *plot.Channel(0);
    ASSERT_EQ(channel.Count(), 3);
    EXPECT_EQ(channel.Y(0), 0);
    EXPECT_EQ(channel.Y(1), 10);
    EXPECT_EQ(channel.Y(2), -1);
    EXPECT_NEAR(channel.X(2), 99.5, 0.05) << "on the chart's clock, where the run came";
}

// A line that the closing of the port cut is never continued by the first bytes after the next opening: the panes
// end it, the chart drops it, and the first line after the opening (which may be the end of a line the device began
// before) is shown but neither plotted nor made a channel.
TEST(ReceivePipeline, AnOpeningStartsANewLineInThePanesAndOnTheChart)
{
    struct TCase {
        const char *Name;
        bool MultiChannel;
        std::string BeforeClosing, AfterOpening;
        std::vector<std::string> Shown, Channels;
    };
    const TCase cases[] = {
        { "OneNumberALine", false, "100\r\n12", "5\r\n7\r\n", { "100", "12", "5", "7" }, { "数据=100 7" } },
        { "LabelledValues", true, "temp:1,hum:2\r\ntemp:3,hu", "temp:5,hum:6\r\ntemp:7,hum:8\r\n",
            { "temp:1,hum:2", "temp:3,hu", "temp:5,hum:6", "temp:7,hum:8" }, { "temp=1 7", "hum=2 8" } },
        { "AStreamMidLine", true, "", "mp:23.5,hum:41\r\ntemp:7,hum:8\r\n", { "mp:23.5,hum:41", "temp:7,hum:8" },
            { "temp=7", "hum=8" } },
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        TChartFixture f;
        f.Feed.SetMultiChannel(c.MultiChannel);
        f.Pipeline.TakeChunk(c.BeforeClosing);
        f.Pipeline.PortOpened();
        f.Pipeline.TakeChunk(c.AfterOpening);
        EXPECT_EQ(f.PaneLines(), c.Shown);
        EXPECT_EQ(f.Channels(), c.Channels);
    }
}

// Sixteen names fill the chart's channels; a cut first line after the opening and stray bytes before a label take
// none of them, so the sixteenth name is still plotted.
TEST(ReceivePipeline, ACutFirstLineAndStrayBytesNeverTakeAChannelFromSixteenRealNames)
{
    TChartFixture f;
    f.Feed.SetMultiChannel(true);
    std::string names;
    for (int k = 1; k <= 16; ++k)
        names += (k > 1 ? "," : "") + std::string("n") + std::to_string(k) + ":" + std::to_string(k);
    f.Pipeline.PortOpened();
    f.Pipeline.TakeChunk("mp:23.5,hum:41\r\n" + names + "\r\n");
    f.Pipeline.TakeChunk("E\xD5\x01temp:3,n1:20\r\n" + names + "\r\n");
    const std::vector<std::string> channels = f.Channels();
    ASSERT_EQ(channels.size(), 16u);
    EXPECT_EQ(channels[0], "n1=1 20 1");
    EXPECT_EQ(channels[15], "n16=16 16");
    EXPECT_EQ(f.Feed.DecoderCounts().DroppedNames, 0u);
    EXPECT_EQ(f.Feed.DecoderCounts().SkippedFields, 1u) << "the label with a control character in it";
}

} // namespace
