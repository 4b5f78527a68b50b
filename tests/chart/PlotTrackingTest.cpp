// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlotTestSupport.h"
#include "chart/PlotYAxis.h"

#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace
{

struct TRange {
    double Min;
    double Span;
};

// One point of a tracking case: move the clock (negative: the user sets it back), optionally choose a new time span
// first, add the value, then check the axes.
struct TTrackStep {
    double Advance;
    double Value;
    std::optional<double> NewXSpan = {};
    std::optional<TRange> X = {};
    std::optional<TRange> Y = {};
};

struct TTrackCase {
    const char *Name;
    std::vector<TTrackStep> Steps;
};

void PrintTo(const TTrackCase &c, std::ostream *out)
{
    *out << c.Name;
}

class PlotTracking : public testing::TestWithParam<TTrackCase>
{
};

TEST_P(PlotTracking, AxesFollowTheData)
{
    TStripChart chart;
    TPlotXAxis &x = *chart.Plot->XAxis(0);
    TPlotYAxis &y = *chart.Plot->YAxis(0);
    int step = 0;
    for (const TTrackStep &s : GetParam().Steps) {
        SCOPED_TRACE(testing::Message() << "step " << step++);
        if (s.NewXSpan)
            x.SetSpan(*s.NewXSpan);
        chart.AddAfter(s.Advance, s.Value);
        if (s.X) {
            EXPECT_NEAR(x.Min(), s.X->Min, 1e-6);
            EXPECT_DOUBLE_EQ(x.Span(), s.X->Span);
        }
        if (s.Y) {
            EXPECT_DOUBLE_EQ(y.Min(), s.Y->Min);
            EXPECT_DOUBLE_EQ(y.Span(), s.Y->Span);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, PlotTracking,
    testing::Values(TTrackCase { "FirstValueStartsTheWindow", { { 5.0, 50, {}, TRange { 5, 1 }, TRange { 0, 100 } } } },
        TTrackCase { "ValuesInsideTheWindowLeaveIt",
            { { 5.0, 50 }, { 0.3, 50, {}, TRange { 5, 1 } }, { 0.7, 50, {}, TRange { 5, 1 } } } },
        TTrackCase { "FirstValuePastTheRightEndScrolls",
            { { 5.0, 50 }, { 0.6, 50, {}, TRange { 5, 1 } }, { 0.6, 50, {}, TRange { 5.2, 1 } },
                { 0.5, 50, {}, TRange { 5.7, 1 } } } },
        TTrackCase { "WiderSpanKeepsMinAndNarrowerJumpsToTheNewest",
            { { 5.0, 50 }, { 3.0, 50, 1000.0, TRange { 5, 1000 } }, { 1.0, 50, 1.0, TRange { 8, 1 } } } },
        TTrackCase { "ValueAxisGrowsUpAndMovesDown",
            { { 0.1, 5, {}, {}, TRange { 0, 100 } }, { 0.1, 200, {}, {}, TRange { 0, 200 } },
                { 0.1, -50, {}, {}, TRange { -50, 200 } } } }, // shows -50 ... 150
        TTrackCase { "ValueAtTheTopChangesNothing",
            { { 0.1, 100, {}, {}, TRange { 0, 100 } }, { 0.1, 200, {}, {}, TRange { 0, 200 } },
                { 0.1, 200, {}, {}, TRange { 0, 200 } } } },
        TTrackCase { "ClockSetBackMovesTheWindowBack",
            { { 10.0, 50, {}, TRange { 10, 1 } }, { -60.0, 50, {}, TRange { -50, 1 } },
                { 2.0, 50, {}, TRange { -49, 1 } } } }),
    [](const testing::TestParamInfo<TTrackCase> &info) { return std::string(info.param.Name); });

TEST(PlotTrackingState, PausedAxisKeepsItsWindowAndResumeRestoresIt)
{
    TStripChart chart;
    TPlotXAxis &x = *chart.Plot->XAxis(0);
    chart.AddAfter(5.0, 50);
    x.SetTrackingEnabled(false);
    EXPECT_DOUBLE_EQ(x.ResumeSpan(), 1);
    x.SetMinSpan(100, 50); // as a user scrolling the paused axis
    chart.AddAfter(3.0, 50);
    EXPECT_EQ(x.Min(), 100);
    EXPECT_EQ(chart.Plot->Channel(0)->Count(), 2); // points are still stored
    x.SetTrackingEnabled(true);
    EXPECT_NEAR(x.Min(), 5, 1e-6);
    EXPECT_EQ(x.Span(), 1);
    chart.AddAfter(0.5, 50); // past the right end: back on the newest data
    EXPECT_NEAR(x.Min(), 7.5, 1e-6);
}

TEST(PlotTrackingState, ChannelStatistics)
{
    TStripChart chart;
    TPlotChannel &channel = *chart.Plot->Channel(0);
    EXPECT_EQ(channel.YMax(), -1e300);
    EXPECT_EQ(channel.FirstVisibleIndex(), -1);
    chart.AddAfter(2.0, 10);
    chart.AddAfter(2.0, -30);
    EXPECT_EQ(channel.AddedCount(), 2);
    EXPECT_EQ(channel.YMin(), -30);
    EXPECT_EQ(channel.YMax(), 10);
    EXPECT_DOUBLE_EQ(channel.YMean(), -10);
    EXPECT_NEAR(channel.XMin(), 2, 1e-6);
    EXPECT_NEAR(channel.XMean(), 3, 1e-6);
    channel.Clear();
    EXPECT_EQ(channel.Count(), 0);
    EXPECT_EQ(channel.AddedCount(), 0);
    EXPECT_EQ(channel.XMin(), 1e300);
    EXPECT_EQ(channel.YMean(), 0);
}

} // namespace
