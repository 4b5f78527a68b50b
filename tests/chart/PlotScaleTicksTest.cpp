// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlotTestSupport.h"
#include "chart/PlotLabelFormat.h"
#include "chart/PlotScale.h"
#include "chart/PlotTicks.h"
#include "chart/PlotYAxis.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace
{

TEST(PlotScale, ValueToPixelAndBack)
{
    const TPlotScale horizontal { 10, 20, 100, 300, true };
    EXPECT_EQ(horizontal.ValueToPixel(10), 100);
    EXPECT_EQ(horizontal.ValueToPixel(30), 300);
    EXPECT_EQ(horizontal.ValueToPixel(20), 200);
    EXPECT_DOUBLE_EQ(horizontal.PixelToValue(250), 25);
    EXPECT_TRUE(horizontal.InRange(30));
    EXPECT_FALSE(horizontal.InRange(30.1));

    const TPlotScale vertical { 0, 100, 50, 250, false }; // top 50, bottom 250
    EXPECT_EQ(vertical.ValueToPixel(0), 250);
    EXPECT_EQ(vertical.ValueToPixel(100), 50);
    EXPECT_DOUBLE_EQ(vertical.PixelToValue(150), 50);

    // Halves round to the even neighbour.
    const TPlotScale halves { 0, 4, 0, 2, true };
    EXPECT_EQ(halves.ValueToPixel(1), 0);
    EXPECT_EQ(halves.ValueToPixel(3), 2);

    // Far values are limited, an empty extent maps everything to its one pixel.
    EXPECT_EQ(horizontal.ValueToPixel(1e300), 32000);
    EXPECT_EQ(horizontal.ValueToPixel(-1e300), -32000);
    const TPlotScale empty { 0, 100, 40, 40, true };
    EXPECT_EQ(empty.ValueToPixel(-5e10), 40);
    EXPECT_EQ(empty.PixelToValue(12), 0);
    EXPECT_TRUE(empty.InRange(1e9));
}

TEST(PlotScale, RoundingMatchesTheLibrarysHalfToEven)
{
    const double big = 2251799813685248.0; // 2^51, where the inline rounding hands values back as they are
    std::vector<double> values { 0.49999999999999994, 1e-300, -1e-300, -31999.5, 32000.5, big - 0.5, big - 1.5,
        1e15 + 0.5, big, big + 1, 1e300, -1e300, HUGE_VAL, -HUGE_VAL };
    for (int quarter = -40; quarter <= 40; ++quarter)
        values.push_back(quarter / 4.0);
    for (double value : values) {
        const double rounded = PlotRoundHalfToEven(value);
        // Zero's sign may differ; no pixel tells them apart.
        EXPECT_EQ(rounded, std::fabs(value) < big ? std::nearbyint(value) : value) << value;
    }
    EXPECT_TRUE(std::isnan(PlotRoundHalfToEven(NAN)));
}

TEST(PlotLabels, DecimalsFollowTheSpan)
{
    struct TCase {
        double Span;
        int Decimals;
    };
    for (TCase c : { TCase { 1, 2 }, TCase { 9.5, 2 }, TCase { 10, 1 }, TCase { 99, 1 }, TCase { 100, 0 },
             TCase { 1000, 0 }, TCase { 0.5, 3 }, TCase { 0.05, 4 }, TCase { 0, 0 } })
        EXPECT_EQ(PlotLabelDecimals(c.Span, 3, psSignificantDigits), c.Decimals) << c.Span;
    EXPECT_EQ(PlotLabelDecimals(1000, 4, psFixedDecimalPoints), 4);
    EXPECT_EQ(PlotLabelDecimals(1000, 0, psSignificantDigits), 0);

    EXPECT_EQ(FormatPlotValue(0.5, 2), "0.50");
    EXPECT_EQ(FormatPlotValue(-0.001, 2), "0.00");
    EXPECT_EQ(FormatPlotValue(-12.5, 1), "-12.5");
    EXPECT_EQ(FormatPlotValue(1234567, 0), "1234567");
}

TEST(PlotTicks, IncrementForSpanAndRoom)
{
    struct TCase {
        double Span;
        int Slots;
        double Increment;
    };
    for (TCase c : { TCase { 1, 10, 0.1 }, TCase { 100, 5, 20 }, TCase { 1000, 1, 1000 }, TCase { 3, 10, 0.5 },
             TCase { 7, 2, 2.5 }, // one interval of 5 is halved: an axis with room gets two
             TCase { 1e-300, 8, 1e-300 } })
        EXPECT_DOUBLE_EQ(PlotTickIncrement(c.Span, c.Slots), c.Increment) << c.Span << " / " << c.Slots;
}

std::vector<QString> MajorLabels(const std::vector<TPlotTickObject> &ticks)
{
    std::vector<QString> labels;
    for (const TPlotTickObject &tick : ticks)
        if (tick.Major)
            labels.push_back(tick.Label);
    return labels;
}

TEST(PlotTicks, MajorsMinorsAndLabelsInsideTheExtent)
{
    const TPlotScale scale { -0.3, 0.7, 0, 700, true };
    auto label = [](double v) { return FormatPlotValue(v, 3); };
    std::vector<TPlotTickObject> ticks = ComputePlotTicks(scale, 7, 1, label);
    EXPECT_EQ(MajorLabels(ticks),
        (std::vector<QString> { "-0.300", "-0.200", "-0.100", "0.000", "0.100", "0.200", "0.300", "0.400" }));
    int minors = 0;
    for (const TPlotTickObject &tick : ticks) {
        EXPECT_TRUE(scale.PixelInRange(tick.Pixel));
        EXPECT_EQ(tick.Pixel, scale.ValueToPixel(tick.Value));
        minors += tick.Major ? 0 : 1;
    }
    EXPECT_EQ(minors, 7); // one between each two majors
}

TEST(PlotTicks, WalkEndsWhenTheIncrementIsLostInMin)
{
    const TPlotScale scale { 1e17, 1, 0, 500, true };
    auto ticks = ComputePlotTicks(scale, 10, 1, [](double) { return QString("x"); });
    EXPECT_LT(ticks.size(), 10u);
}

TEST(PlotTicks, LabelsBeforeAnyData)
{
    TStripChart chart;
    chart.Paint();
    std::vector<QString> time = MajorLabels(chart.Plot->XAxis(0)->Ticks());
    ASSERT_GE(time.size(), 2u);
    EXPECT_EQ(time.front(), "0.00");
    EXPECT_EQ(time.back(), "1.00");
    std::vector<QString> value = MajorLabels(chart.Plot->YAxis(0)->Ticks());
    ASSERT_GE(value.size(), 2u);
    EXPECT_EQ(value.front(), "0");
    EXPECT_EQ(value.back(), "100");
}

TEST(PlotTicks, TimeLabelDecimalsAtSpans)
{
    TStripChart chart;
    struct TCase {
        double Span;
        QString FirstLabel;
    };
    for (TCase c :
        { TCase { 1, "0.00" }, TCase { 10, "0.0" }, TCase { 99, "0.0" }, TCase { 100, "0" }, TCase { 1000, "0" } }) {
        chart.Plot->XAxis(0)->SetSpan(c.Span);
        chart.Paint();
        std::vector<QString> labels = MajorLabels(chart.Plot->XAxis(0)->Ticks());
        ASSERT_FALSE(labels.empty());
        EXPECT_EQ(labels.front(), c.FirstLabel) << c.Span;
    }
}

} // namespace
