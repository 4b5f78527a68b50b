#include "console/PlotFeed.h"

#include "chart/Plot.h"
#include "chart/PlotChannel.h"
#include "chart/PlotDataNullList.h"
#include "chart/PlotDescription.h"
#include "chart/PlotManualClock.h"
#include "chart/PlotXAxis.h"
#include "console/PlotQueue.h"

#include <QTimer>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{

using TResult = TPlotFeed::TStepResult;

// The main window's chart and PlotQueue with a feed that counts its pauses for waiting messages; each step happens
// 10 ms after the previous one.
struct TFeedFixture {
    TPlotManualClock Clock;
    TPlot Plot { nullptr, &Clock };
    TPlotQueue Queue;
    int MessagePauses = 0;
    std::function<void()> DuringPause;
    TPlotFeed Feed { Queue, Plot, [this] {
                        ++MessagePauses;
                        if (DuringPause)
                            DuringPause();
                    } };

    TFeedFixture()
    {
        LoadStripChartDescription(Plot);
        TPlotFeed::SetUpChart(Plot);
    }

    // Steps until the queue is empty and returns each step's result.
    std::vector<TResult> Drain()
    {
        std::vector<TResult> results;
        for (int guard = 0; guard < 1000; ++guard) {
            Clock.Advance(0.01);
            TResult result = Feed.Step();
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

TEST_P(PlotFeedLines, OneLinePerStep)
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
        // Each chunk ends in CR LF, so an empty line follows it in the queue.
        TFeedCase { "ShortLinesAndEmptyLinesAreDropped", { "12345\r\n", "678\r\n", "12346\r\n" }, { P, D, D, D, P, D },
            { 12345, 12346 } },
        TFeedCase { "FourDigitsAreTooShort", { "1234\r\n" }, { D, D }, {} },
        TFeedCase { "FiveCharactersWithASign", { "-1234\r\n" }, { P, D }, { -1234 } },
        TFeedCase {
            "NotWholeNumbers", { "12.50\r\n", "12345 \r\n", "12e34", "1,234", "hello" }, { R, D, R, D, R, R, R }, {} },
        TFeedCase { "HexadecimalPatterns", { "$FFFFFFFF", "0x3039", "   12345", "00042" }, { P, P, P, P },
            { -1, 12345, 12345, 42 } },
        TFeedCase { "ThreeSamplesInOneChunk", { "11111\r\n22222\r\n33333" }, { P, P, P }, { 11111, 22222, 33333 } }),
    [](const testing::TestParamInfo<TFeedCase> &info) { return std::string(info.param.Name); });

TEST(PlotFeed, PointsAreDatedWhenAddedAfterWaitingMessages)
{
    TFeedFixture fixture;
    fixture.Queue.AppendChunk("10000");
    fixture.Queue.AppendChunk("20000");
    fixture.Queue.AppendChunk("123");
    // Data that arrives while the feed lets messages through lands behind the queued lines.
    fixture.DuringPause = [&] {
        if (fixture.MessagePauses == 1)
            fixture.Queue.AppendChunk("30000");
    };
    fixture.Clock.Advance(2.0);
    EXPECT_EQ(fixture.Drain(), (std::vector<TResult> { P, P, D, P }));
    EXPECT_EQ(fixture.Plotted(), (std::vector<double> { 10000, 20000, 30000 }));
    EXPECT_EQ(fixture.MessagePauses, 3); // once before each point, never for dropped lines
    const TPlotChannel &channel = *fixture.Plot.Channel(0);
    EXPECT_NEAR(channel.X(0), 2.01, 1e-6);
    EXPECT_NEAR(channel.X(1), 2.02, 1e-6);
    EXPECT_NEAR(channel.X(2), 2.04, 1e-6);
}

TEST(PlotFeed, ChartErrorsDropTheLineAndTheFeedGoesOn)
{
    TFeedFixture fixture;
    static_cast<TPlotDataNullList &>(fixture.Plot.Channel(0)->Data()).SetMaxCount(1);
    fixture.Queue.AppendChunk("10000");
    fixture.Queue.AppendChunk("20000");
    fixture.Queue.AppendChunk("30000");
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
    fixture.Feed.SpanSelected("10");
    EXPECT_EQ(axis.Span(), 10);
    fixture.Feed.SpanSelected("");
    fixture.Feed.SpanSelected("ten");
    EXPECT_EQ(axis.Span(), 10);
    fixture.Feed.SpanSelected("1000");
    EXPECT_EQ(axis.Span(), 1000);
    EXPECT_EQ(axis.Min(), 0);
}

TEST(PlotFeed, ByDefaultWaitingEventsRunBeforeEachPoint)
{
    TPlotManualClock clock;
    TPlot plot(nullptr, &clock);
    LoadStripChartDescription(plot);
    TPlotQueue queue;
    TPlotFeed feed(queue, plot);
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    queue.AppendChunk("1234");
    EXPECT_EQ(feed.Step(), TResult::Dropped);
    EXPECT_FALSE(ran);
    queue.AppendChunk("12345");
    EXPECT_EQ(feed.Step(), TResult::Plotted);
    EXPECT_TRUE(ran);
}

} // namespace
