// SPDX-License-Identifier: GPL-3.0-or-later
// The receive pipeline without a window: a received block reaches the panes' log, the capture and the PlotQueue,
// dated by its runs; the plot feed's schedule wakes for whole lines and holds while paused.
#include "console/plotfeed/ReceivePipeline.h"

#include "chart/Plot.h"
#include "chart/PlotChannel.h"
#include "chart/PlotDescription.h"
#include "chart/PlotManualClock.h"
#include "console/plotfeed/PlotFeed.h"
#include "console/plotfeed/PlotQueue.h"
#include "console/receive/ReceiveCapture.h"
#include "console/receive/ReceiveLog.h"
#include "console/receive/ReceiveText.h"
#include "tests/support/FileBytes.h"

#include <QTemporaryDir>
#include <chrono>
#include <gtest/gtest.h>

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

} // namespace
