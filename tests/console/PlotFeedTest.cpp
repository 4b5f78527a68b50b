// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/plotfeed/PlotFeed.h"

#include "chart/Plot.h"
#include "chart/PlotChannel.h"
#include "chart/PlotContextMenu.h"
#include "chart/PlotDataCursor.h"
#include "chart/PlotDataNullList.h"
#include "chart/PlotDescription.h"
#include "chart/PlotLegend.h"
#include "chart/PlotManualClock.h"
#include "chart/PlotMasterManager.h"
#include "chart/PlotXAxis.h"
#include "chart/PlotYAxis.h"
#include "console/plotfeed/MultiChannelChart.h"
#include "console/plotfeed/PlotQueue.h"
#include "core/AnsiText.h"
#include "decoders/ArrivalClock.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace
{

using TResult = TPlotFeed::TStepResult;

// Seconds a line costs the feed in these tests: the feed's budget clock moves on by this much each time it is read.
constexpr double LineCost = 20e-6;

// The main window's chart and PlotQueue with a feed whose budget clock moves only as lines are taken.
struct TFeedFixture {
    TPlotManualClock Clock;
    TPlot Plot { nullptr, &Clock };
    TPlotQueue Queue;
    double Busy = 0; // the feed's monotonic clock
    int ClockReads = 0;
    TPlotFeed Feed { Queue, Plot, [this] {
                        ++ClockReads;
                        return Busy += LineCost;
                    } };

    TFeedFixture()
    {
        LoadStripChartDescription(Plot);
        TPlotFeed::SetUpChart(Plot);
    }

    // Takes line after line until the queue is empty and returns each line's result.
    std::vector<TResult> Drain()
    {
        std::vector<TResult> results;
        for (int guard = 0; guard < 1000; ++guard) {
            TResult result = Feed.TakeLine();
            if (result == TResult::Idle)
                break;
            results.push_back(result);
        }
        return results;
    }

    std::vector<double> Plotted() const
    {
        std::vector<double> values;
        const TPlotChannel &channel = *Plot.Channel(0);
        for (int i = 0; i < channel.Count(); ++i)
            values.push_back(channel.Y(i));
        return values;
    }
};

struct TFeedCase {
    const char *Name;
    std::vector<std::string> Chunks;
    std::vector<TResult> Steps; // one per queued line
    std::vector<double> Plotted;
};

void PrintTo(const TFeedCase &c, std::ostream *out)
{
    *out << c.Name;
}

class PlotFeedLines : public testing::TestWithParam<TFeedCase>
{
};

TEST_P(PlotFeedLines, EachLineIsPlottedOrDropped)
{
    TFeedFixture fixture;
    for (const std::string &chunk : GetParam().Chunks)
        fixture.Queue.AppendChunk(chunk);
    EXPECT_EQ(fixture.Drain(), GetParam().Steps);
    EXPECT_EQ(fixture.Plotted(), GetParam().Plotted);
    EXPECT_TRUE(fixture.Queue.Empty());
}

constexpr TResult P = TResult::Plotted, D = TResult::Dropped, R = TResult::Rejected;

INSTANTIATE_TEST_SUITE_P(Cases, PlotFeedLines,
    testing::Values(
        TFeedCase { "AValueSplitAcrossChunksIsPlottedOnceWhole", { "50000", "0058\r\n" }, { P }, { 500000058 } },
        TFeedCase {
            "ShortValuesArePlotted", { "512\n", "0\n", "-1\n", "9999\r\n" }, { P, P, P, P }, { 512, 0, -1, 9999 } },
        TFeedCase { "LfOnlyAndCrOnlyEndLines", { "1\n2\n", "3\r4\r" }, { P, P, P, P }, { 1, 2, 3, 4 } },
        TFeedCase { "EmptyLinesAreSkipped", { "12345\r\n\r\n", " \t\n678\r\n" }, { P, D, D, P }, { 12345, 678 } },
        TFeedCase { "BlanksAndTabsAroundTheNumberAreIgnored", { " 12 \n", "\t-3\t\r\n" }, { P, P }, { 12, -3 } },
        TFeedCase {
            "NotWholeNumbers", { "12.50\r\n", "12e34\n", "1,234\n", "hello\n", "1 2\n" }, { R, R, R, R, R }, {} },
        TFeedCase { "HexadecimalPatterns", { "$FFFFFFFF\n", "0x3039\n", "   12345\n", "00042\n" }, { P, P, P, P },
            { -1, 12345, 12345, 42 } },
        TFeedCase {
            "ThreeSamplesInOneChunk", { "11111\r\n22222\r\n33333\r\n" }, { P, P, P }, { 11111, 22222, 33333 } }),
    [](const testing::TestParamInfo<TFeedCase> &info) { return std::string(info.param.Name); });

TEST(PlotFeed, AnOpenLineWaitsForItsEnd)
{
    TFeedFixture fixture;
    fixture.Queue.AppendChunk("123");
    EXPECT_EQ(fixture.Feed.TakeLine(), TResult::Idle);
    fixture.Queue.AppendChunk("45\n");
    EXPECT_EQ(fixture.Drain(), std::vector<TResult> { P });
    EXPECT_EQ(fixture.Plotted(), std::vector<double> { 12345 });
}

// A long line is read whole, wherever the reads cut it, up to the longest a line may be; a longer one is counted
// and never read in pieces that would give other values.
TEST(PlotFeed, ALongLineIsPlottedWholeOrNotAtAll)
{
    // 20000 bytes with the number across the points where shorter lines were once cut.
    const std::string padded = std::string(16382, ' ') + "23456" + std::string(3613, ' ') + "\r\n";
    const std::string tooLong = std::string(TWholeLines::MaxLineBytes, ' ') + "5\r\n";
    const std::string longest = std::string(TWholeLines::MaxLineBytes - 1, ' ') + "6\r\n";
    const std::string stream = padded + tooLong + "7\r\n" + longest;
    for (std::size_t cut : { std::size_t(1), std::size_t(8192), std::size_t(16384), stream.size() }) {
        TFeedFixture fixture;
        for (std::size_t at = 0; at < stream.size(); at += cut)
            fixture.Queue.AppendChunk(stream.substr(at, cut));
        fixture.Drain();
        EXPECT_EQ(fixture.Plotted(), (std::vector<double> { 23456, 7, 6 })) << "cut every " << cut;
        EXPECT_EQ(fixture.Feed.DecoderCounts().Rejected, 1u);
        EXPECT_LT(fixture.Queue.Capacity(), std::size_t(1) << 20);
    }
}

TEST(PlotFeed, ChartErrorsDropTheLineAndTheFeedGoesOn)
{
    TFeedFixture fixture;
    static_cast<TPlotDataNullList &>(fixture.Plot.Channel(0)->Data()).SetMaxCount(1);
    fixture.Queue.AppendChunk("10000\n");
    fixture.Queue.AppendChunk("20000\n");
    fixture.Queue.AppendChunk("30000\n");
    EXPECT_EQ(fixture.Drain(), (std::vector<TResult> { P, TResult::ChartFailed, TResult::ChartFailed }));
    EXPECT_EQ(fixture.Plotted(), (std::vector<double> { 10000 }));
    EXPECT_TRUE(fixture.Queue.Empty());
}

TEST(PlotFeed, SetUpAndSpanSelector)
{
    TFeedFixture fixture;
    TPlotXAxis &axis = *fixture.Plot.XAxis(0);
    EXPECT_FALSE(fixture.Plot.TitleVisible());
    EXPECT_EQ(axis.Span(), 1);
    EXPECT_EQ(axis.Title(), "Time (Seconds)");
    EXPECT_EQ(fixture.Plot.Channel(0)->RingBufferSize(), TPlotFeed::MaxPoints); // the newest points, the oldest leave
    fixture.Feed.SpanSelected("10");
    EXPECT_EQ(axis.Span(), 10);
    fixture.Feed.SpanSelected("");
    fixture.Feed.SpanSelected("ten");
    EXPECT_EQ(axis.Span(), 10);
    fixture.Feed.SpanSelected("1000");
    EXPECT_EQ(axis.Span(), 1000);
    EXPECT_EQ(axis.Min(), 0);
}

TEST(PlotFeed, PointsStandAtTheArrivalOfTheirLinesNotWhenTheyArePlotted)
{
    TFeedFixture fixture;
    fixture.Queue.AppendChunk("10000\r\n", 2.0);
    fixture.Queue.AppendChunk("20000\r\n30000\r\n40000\r\n", 2.03); // three lines over the 30 ms since 2.0
    fixture.Clock.Advance(60.0); // plotted a minute later
    EXPECT_EQ(fixture.Feed.Step(), 4u); // every waiting line in one step
    const TPlotChannel &channel = *fixture.Plot.Channel(0);
    ASSERT_EQ(fixture.Plotted(), (std::vector<double> { 10000, 20000, 30000, 40000 }));
    const double expected[] = { 2.0, 2.01, 2.02, 2.03 };
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(channel.X(i), expected[i], 1e-9) << i;
    EXPECT_EQ(fixture.Plot.XAxis(0)->Min(), 2.0); // the time axis follows the arrival times too
}

TEST(PlotFeed, AStepEndsWhenItsBudgetIsSpentAndTheBacklogDrainsInOrder)
{
    TFeedFixture fixture;
    for (int i = 0; i < 5000; ++i)
        fixture.Queue.AppendChunk(std::to_string(10000 + i) + "\n", 1.0 + i * 1e-4);
    const std::size_t perStep = static_cast<std::size_t>(TPlotFeed::DefaultBudgetSeconds / LineCost);
    std::size_t steps = 0;
    while (!fixture.Queue.Empty()) {
        const double before = fixture.Busy;
        const std::size_t taken = fixture.Feed.Step();
        EXPECT_GE(taken, 1u);
        EXPECT_LE(taken, perStep + 1);
        EXPECT_LE(fixture.Busy - before, TPlotFeed::DefaultBudgetSeconds + 2 * LineCost);
        ASSERT_LT(++steps, 100u);
    }
    EXPECT_GE(steps, 5000 / (perStep + 1));
    const std::vector<double> plotted = fixture.Plotted();
    ASSERT_EQ(plotted.size(), 5000u);
    for (int i = 0; i < 5000; ++i)
        ASSERT_EQ(plotted[i], 10000 + i);
    EXPECT_EQ(fixture.Feed.Step(), 0u); // an empty queue: a cheap idle step
}

// A device sending 2000 lines a second for 5 s; the receive thread hands them over in chunks at uneven gaps (1 to
// 40 ms) and the plot timer steps 10 ms after each step ends. Simulated time in steps of 0.5 ms: line j (from 1) is
// sent at j / 2000 s and each chunk carries the lines sent since the previous one. Every line must be on the chart
// within 0.5 s of the last one, each at the time it was sent (the spread over the gap since the previous chunk
// rebuilds the sending pace), and no step may hold the window longer than its budget.
TEST(PlotFeed, TwoThousandLinesASecondArePlottedAtTheirArrivalAndInTime)
{
    TFeedFixture fixture;
    constexpr int Rate = 2000, Seconds = 5, Lines = Rate * Seconds;
    constexpr double Tick = 0.5e-3;
    std::mt19937 random(11);
    std::uniform_int_distribution<int> chunkGap(2, 80); // in ticks: 1 ms to 40 ms
    int sent = 0, nextChunk = chunkGap(random);
    double nextStep = 0.010, lastStepLength = 0;
    double allPlottedAt = -1;
    const double lastLineAt = Seconds;
    for (int tick = 1; tick <= 2 * Rate * (Seconds + 1); ++tick) {
        const double now = tick * Tick;
        if ((tick >= nextChunk || tick == Lines) && sent < Lines) {
            const int upTo = std::min(tick, Lines); // one line per tick
            std::string chunk;
            for (int j = sent + 1; j <= upTo; ++j)
                chunk += std::to_string(100000 + j) + "\r\n";
            fixture.Queue.AppendChunk(chunk, now);
            sent = upTo;
            nextChunk = tick + chunkGap(random);
        }
        if (now >= nextStep - 1e-12) {
            const double before = fixture.Busy;
            fixture.Feed.Step();
            lastStepLength = std::max(lastStepLength, fixture.Busy - before);
            nextStep = now + (fixture.Busy - before) + 0.010;
            if (allPlottedAt < 0 && fixture.Plot.Channel(0)->Count() == Lines)
                allPlottedAt = now + (fixture.Busy - before);
        }
    }
    ASSERT_EQ(sent, Lines);
    ASSERT_GT(allPlottedAt, 0) << "not every line was plotted";
    EXPECT_LE(allPlottedAt - lastLineAt, 0.5);
    EXPECT_LE(lastStepLength, TPlotFeed::DefaultBudgetSeconds + 2 * LineCost);

    const TPlotChannel &channel = *fixture.Plot.Channel(0);
    ASSERT_EQ(channel.Count(), Lines);
    int firstChunkLines = 0;
    // The first chunk has no gap before it: its lines stand a step apart from its arrival on.
    while (std::abs(channel.X(firstChunkLines) - (channel.X(0) + firstChunkLines * TArrivalClock::MinItemStep)) < 1e-9)
        ++firstChunkLines;
    for (int i = firstChunkLines; i < Lines; ++i) {
        ASSERT_EQ(channel.Y(i), 100001 + i);
        ASSERT_NEAR(channel.X(i), (i + 1) * Tick, 1e-9) << "line " << i + 1;
    }
}

} // namespace

// Multi-channel mode -------------------------------------------------------------------------------------------------

TEST(PlotFeedMultiChannel, EightValuesMakeEightChannelsWithTheirOwnColoursAndLegendNames)
{
    TFeedFixture fixture;
    fixture.Feed.SetMultiChannel(true);
    EXPECT_EQ(fixture.Plot.Channel(0)->TitleText(), "数据1");
    EXPECT_EQ(fixture.Plot.Master().Channels().Count(), 1) << "channels appear as their first value arrives";

    fixture.Queue.AppendChunk("1,2\n", 5.0);
    fixture.Queue.AppendChunk("10;20;30;40;50;60;70;800\r\n", 6.0);
    fixture.Queue.AppendChunk("\r\n1.5 -2.5e1\n", 7.0);
    EXPECT_EQ(fixture.Drain(), (std::vector<TResult> { P, P, D, P }));

    ASSERT_EQ(fixture.Plot.Master().Channels().Count(), 8);
    const std::vector<TPlotChannelCustom *> legend = fixture.Plot.Legend(0)->Entries();
    ASSERT_EQ(legend.size(), 8u);
    std::set<QRgb> colours;
    for (int k = 0; k < 8; ++k) {
        const TPlotChannel &channel = *fixture.Plot.Channel(k);
        EXPECT_EQ(legend[k], &channel);
        EXPECT_EQ(channel.TitleText(), QStringLiteral("数据%1").arg(k + 1));
        EXPECT_EQ(channel.Color(), MultiChannelColor(k));
        EXPECT_EQ(channel.XAxisName(), "X-Axis 1");
        EXPECT_EQ(channel.YAxisName(), "Y-Axis 1");
        colours.insert(channel.Color().rgb());
        // Every value of a line stands at the line's arrival time.
        ASSERT_GE(channel.Count(), 1);
        EXPECT_EQ(channel.X(k < 2 ? 1 : 0), 6.0);
    }
    EXPECT_EQ(colours.size(), 8u);
    EXPECT_EQ(fixture.Plot.Channel(0)->Color(), QColor(255, 0, 0)) << "channel 1 keeps red";
    EXPECT_EQ(fixture.Plotted(), (std::vector<double> { 1, 10, 1.5 }));
    EXPECT_EQ(fixture.Plot.Channel(1)->Count(), 3);
    EXPECT_EQ(fixture.Plot.Channel(1)->Y(2), -25);
    EXPECT_EQ(fixture.Plot.Channel(7)->Count(), 1);

    // The data cursor offers "<All>" and every channel by its legend name.
    const std::vector<TPlotMenuItem> menu = PlotContextMenuItems(fixture.Plot.DataCursor(0), true);
    ASSERT_FALSE(menu.empty());
    QStringList cursorChannels;
    for (const TPlotMenuItem &item : menu[0].Items)
        cursorChannels << item.Caption;
    EXPECT_EQ(cursorChannels.join(','), "<All>,数据1,数据2,数据3,数据4,数据5,数据6,数据7,数据8");

    // The value axis tracks every channel: the top from channel 8, the bottom from channel 2.
    const TPlotYAxis &y = *fixture.Plot.YAxis(0);
    EXPECT_EQ(y.Span(), 800);
    EXPECT_EQ(y.Min(), -25);
}

TEST(PlotFeedMultiChannel, BadLinesAreDroppedWholeAndCounted)
{
    TFeedFixture fixture;
    fixture.Feed.SetMultiChannel(true);
    fixture.Queue.AppendChunk("1,2,x\n", 1.0);
    fixture.Queue.AppendChunk("1,,3\n", 2.0);
    fixture.Queue.AppendChunk("4,5\n", 3.0);
    EXPECT_EQ(fixture.Drain(), (std::vector<TResult> { R, R, P }));
    EXPECT_EQ(fixture.Feed.RejectedLines(), 2u);
    EXPECT_EQ(fixture.Plot.Master().Channels().Count(), 2);
    EXPECT_EQ(fixture.Plotted(), (std::vector<double> { 4 }));
}

TEST(PlotFeedMultiChannel, OffTheFeedReadsWholeNumbersAgainAndEveryChannelKeepsItsValues)
{
    TFeedFixture fixture;
    fixture.Feed.SetMultiChannel(true);
    fixture.Queue.AppendChunk("1,2,3\n", 1.0);
    fixture.Drain();
    fixture.Plot.DataCursor(0)->SetChannelName(fixture.Plot.Channel(2)->Name());

    fixture.Feed.SetMultiChannel(false);
    ASSERT_EQ(fixture.Plot.Master().Channels().Count(), 3) << "数据2 and 数据3 keep their values";
    EXPECT_EQ(fixture.Plot.Channel(0)->TitleText(), "数据1");
    EXPECT_EQ(fixture.Plot.Channel(2)->TitleText(), "数据3");
    EXPECT_EQ(fixture.Plot.DataCursor(0)->ChannelName(), fixture.Plot.Channel(2)->Name());

    // A decimal line and a list are dropped as before; whole numbers go on as the lines' first values.
    fixture.Queue.AppendChunk("12.50\n");
    fixture.Queue.AppendChunk("1,2,3\n");
    fixture.Queue.AppendChunk("42\n");
    fixture.Queue.AppendChunk("12345\n");
    EXPECT_EQ(fixture.Drain(), (std::vector<TResult> { R, R, P, P }));
    EXPECT_EQ(fixture.Plotted(), (std::vector<double> { 1, 42, 12345 }));
    EXPECT_EQ(fixture.Plot.Channel(1)->Count(), 1);
    EXPECT_EQ(fixture.Plot.Channel(2)->Count(), 1);
}

TEST(PlotFeedMultiChannel, LabelsNameTheirChannelsInOrderOfFirstAppearanceUpToSixteen)
{
    TFeedFixture fixture;
    fixture.Feed.SetMultiChannel(true);
    // A device that sends only labels: its first name takes the chart's first channel, no "数据1" is left over.
    fixture.Queue.AppendChunk("temp:23.5,hum = 41\n", 1.0);
    fixture.Queue.AppendChunk(Utf8ToAnsi("state:OK 7 温度: -3\n"), 2.0);
    fixture.Queue.AppendChunk("Booting...\n", 3.0);
    EXPECT_EQ(fixture.Drain(), (std::vector<TResult> { P, P, R }));
    QStringList titles;
    for (int k = 0; k < fixture.Plot.Master().Channels().Count(); ++k)
        titles << fixture.Plot.Channel(k)->TitleText();
    EXPECT_EQ(titles.join(','), "temp,hum,数据1,温度");
    EXPECT_EQ(fixture.Plot.Channel(3)->Y(0), -3);
    EXPECT_EQ(fixture.Feed.DecoderCounts().SkippedFields, 1u) << "state:OK";

    // Twelve more names fill sixteen channels, each in a colour of its own; the seventeenth name is dropped.
    std::string line;
    for (int k = 0; k < 13; ++k)
        line += "n" + std::to_string(k) + ":" + std::to_string(k) + ",";
    fixture.Queue.AppendChunk(line + "\n", 4.0);
    EXPECT_EQ(fixture.Drain(), (std::vector<TResult> { P }));
    ASSERT_EQ(fixture.Plot.Master().Channels().Count(), 16);
    EXPECT_EQ(fixture.Plot.Channel(15)->TitleText(), "n11");
    EXPECT_EQ(fixture.Feed.DecoderCounts().DroppedNames, 1u) << "n12";
    std::set<QRgb> colours;
    for (int k = 0; k < 16; ++k)
        colours.insert(fixture.Plot.Channel(k)->Color().rgb());
    EXPECT_EQ(colours.size(), 16u);

    // Off and on again: every name keeps its channel, and with all sixteen holding values a new name finds none ...
    fixture.Feed.SetMultiChannel(false);
    fixture.Feed.SetMultiChannel(true);
    fixture.Queue.AppendChunk("temp:30,v=1\n", 5.0);
    EXPECT_EQ(fixture.Drain(), (std::vector<TResult> { P }));
    EXPECT_EQ(fixture.Plot.Channel(0)->Y(fixture.Plot.Channel(0)->Count() - 1), 30);
    EXPECT_EQ(fixture.Feed.DecoderCounts().DroppedNames, 1u) << "v";
    // ... until the chart is cleared: then it takes over the first channel that no name of the mode writes to.
    fixture.Plot.ClearAllData();
    fixture.Queue.AppendChunk("temp:31,v=2\n", 6.0);
    EXPECT_EQ(fixture.Drain(), (std::vector<TResult> { P }));
    ASSERT_EQ(fixture.Plot.Master().Channels().Count(), 16);
    EXPECT_EQ(fixture.Plot.Channel(0)->TitleText(), "temp");
    EXPECT_EQ(fixture.Plot.Channel(1)->TitleText(), "v");
    EXPECT_EQ(fixture.Plot.Channel(1)->Y(0), 2);
    EXPECT_EQ(fixture.Plot.Channel(0)->Y(0), 31);
}

TEST(PlotFeedBinaryFrames, FramesAreReadFromTheBytesAndTheirSamplesWaitForAStep)
{
    TFeedFixture fixture;
    TFrameFormat format;
    format.Header = "\xAA\x55";
    format.Channels = 2;
    format.Type = TSampleType::Int16;
    format.Checksum = TChecksumKind::Sum8;
    fixture.Feed.SetBinaryFrames(format);
    EXPECT_TRUE(fixture.Feed.ReadsBytes());
    EXPECT_EQ(fixture.Plot.Channel(0)->TitleText(), "数据1");

    // Frame (1, -2), a frame whose checksum is wrong, then (300, 4) cut over two reads.
    const std::string good1("\xAA\x55\x01\x00\xFE\xFF\xFE", 7);
    const std::string bad("\xAA\x55\x05\x00\x06\x00\x00", 7);
    const std::string good2("\xAA\x55\x2C\x01\x04\x00\x31", 7);
    const TTimedRun first[] = { { good1.size() + bad.size() + 3, 10.0 } };
    fixture.Feed.TakeBytes(good1 + bad + good2.substr(0, 3), first, 10.0);
    const TTimedRun second[] = { { 4, 11.0 } };
    fixture.Feed.TakeBytes(good2.substr(3), second, 11.0);
    EXPECT_TRUE(fixture.Feed.HasWork());
    EXPECT_EQ(fixture.Plot.Channel(0)->Count(), 0) << "nothing is plotted before a step";
    fixture.Queue.AppendChunk("123\n");
    EXPECT_EQ(fixture.Feed.TakeLine(), TResult::Idle) << "lines are not read while frames are";

    EXPECT_EQ(fixture.Feed.Step(), 4u);
    EXPECT_FALSE(fixture.Feed.HasWork());
    EXPECT_EQ(fixture.Plotted(), (std::vector<double> { 1, 300 }));
    ASSERT_EQ(fixture.Plot.Channel(1)->Count(), 2);
    EXPECT_EQ(fixture.Plot.Channel(1)->Y(0), -2);
    EXPECT_EQ(fixture.Plot.Channel(1)->X(1), 11.0) << "a frame stands where its last byte came";
    EXPECT_EQ(fixture.Feed.DecoderCounts().Taken, 2u);
    EXPECT_EQ(fixture.Feed.DecoderCounts().ChecksumErrors, 1u);
    fixture.Feed.ResetDecoderCounts();
    EXPECT_EQ(fixture.Feed.DecoderCounts(), TDecoderCounts {});

    // Off: the lines are the chart's again, their values on 数据1 after the frames'; 数据2 keeps the frames' values.
    fixture.Feed.SetBinaryFrames(std::nullopt);
    EXPECT_EQ(fixture.Plot.Master().Channels().Count(), 2);
    EXPECT_EQ(fixture.Plot.Channel(0)->TitleText(), "数据1");
    EXPECT_EQ(fixture.Feed.TakeLine(), TResult::Plotted);
    EXPECT_EQ(fixture.Plotted(), (std::vector<double> { 1, 300, 123 }));
    EXPECT_EQ(fixture.Plot.Channel(1)->Count(), 2);
}
