// SPDX-License-Identifier: GPL-3.0-or-later
// Value axes that fit the values in view: the rule for the range, and the pass over a chart's channels.
#include "chart/PlotYAutoFit.h"

#include "PlotTestSupport.h"
#include "chart/PlotMasterManager.h"
#include "chart/PlotYAxis.h"
#include "tests/support/WaitUntil.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <optional>

using namespace std::chrono_literals;

namespace
{

TEST(PlotYAutoFit, TheRangeFitsTheDataWithRoomAndKeepsStillWhileTheyMoveALittle)
{
    const struct {
        const char *Name;
        TPlotRange Shown;
        double Low, High;
        std::optional<TPlotRange> Fitted;
    } cases[] = {
        { "a sine of amplitude 1 in 0 to 100", { 0, 100 }, -1, 1, TPlotRange { -1.2, 2.4 } },
        { "data that fill the range", { -1.2, 2.4 }, -1, 1, std::nullopt },
        { "data that move a little", { -1.2, 2.4 }, -0.9, 1.1, std::nullopt },
        { "data that leave the range", { -1.2, 2.4 }, -1, 1.5, TPlotRange { -1.25, 3 } },
        { "data that shrink below half of it", { -1.2, 2.4 }, -0.5, 0.5, TPlotRange { -0.6, 1.2 } },
        { "3.3 V beside 41 %", { 0, 100 }, 3.3, 41, TPlotRange { 3.3 - 3.77, 37.7 * 1.2 } },
        { "one value", { 0, 100 }, 41, 41, TPlotRange { 41 - 2.05, 4.1 } },
        { "one value of 0", { 0, 100 }, 0, 0, TPlotRange { -0.5, 1 } },
        { "one value already in the middle", { 41 - 41.0 / 10 / 2, 41.0 / 10 }, 41, 41, std::nullopt },
        { "not numbers", { 0, 100 }, NAN, 1, std::nullopt },
        { "no data", { 0, 100 }, INFINITY, -INFINITY, std::nullopt },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        const std::optional<TPlotRange> fitted = FitRangeToData(c.Shown, c.Low, c.High);
        ASSERT_EQ(fitted.has_value(), c.Fitted.has_value());
        if (fitted) {
            EXPECT_NEAR(fitted->Min, c.Fitted->Min, 1e-9);
            EXPECT_NEAR(fitted->Span, c.Fitted->Span, 1e-9);
        }
    }
}

TEST(PlotYAutoFit, TheValueAxisTakesTheRangeOfTheValuesInViewUnlessTheUserHoldsIt)
{
    TStripChart chart;
    TPlotYAxis &y = *chart.Plot->YAxis(0);
    TPlotChannel &first = *chart.Plot->Channel(0);
    first.AddPoint(0, 1000); // long before the view
    for (int i = 1; i <= 2000; ++i)
        first.AddPoint(i / 200.0, std::sin(2 * std::numbers::pi * 5 * i / 200.0));
    chart.Plot->XAxis(0)->SetMinSpan(9, 1);
    ASSERT_GE(y.Span(), 1000) << "the axis took in every value as it came";

    EXPECT_TRUE(FitValueAxesToData(chart.Plot->Master()));
    EXPECT_NEAR(y.Min(), -1.2, 1e-9);
    EXPECT_NEAR(y.Span(), 2.4, 1e-9);
    EXPECT_FALSE(FitValueAxesToData(chart.Plot->Master())) << "fitted, it keeps still";

    // A second channel on the same axis counts; a hidden one does not.
    TPlotChannel &second = *chart.Plot->Master().Channels().Add<TPlotChannel>();
    second.AddPoint(9.5, 41);
    TPlotChannel &hidden = *chart.Plot->Master().Channels().Add<TPlotChannel>();
    hidden.AddPoint(9.5, -500);
    hidden.SetVisible(false);
    EXPECT_TRUE(FitValueAxesToData(chart.Plot->Master()));
    EXPECT_NEAR(y.Min(), -1 - 4.2, 1e-9);
    EXPECT_NEAR(y.Span(), 42 * 1.2, 1e-9);

    // Paused (or zoomed) the axis is the user's.
    y.SetTrackingEnabled(false);
    y.SetMinSpan(0, 10);
    EXPECT_FALSE(FitValueAxesToData(chart.Plot->Master()));
    EXPECT_EQ(y.Min(), 0);
    EXPECT_EQ(y.Span(), 10);
}

TEST(PlotYAutoFit, TheChartFitsBeforeItRepaintsOnlyWhileItIsOn)
{
    TStripChart chart;
    TPlotYAxis &y = *chart.Plot->YAxis(0);
    for (int i = 0; i < 100; ++i)
        chart.AddAfter(0.01, i % 2 ? 3.3 : 3.2);
    const double min = y.Min(), span = y.Span();
    chart.Plot->RequestRepaint();
    PumpFor(100ms);
    ASSERT_GT(chart.Plot->GrantedRepaints(), 0);
    EXPECT_EQ(y.Min(), min) << "off, nothing changes";
    EXPECT_EQ(y.Span(), span);

    chart.Plot->SetYAutoFit(true);
    EXPECT_TRUE(WaitUntil([&] { return std::abs(y.Min() - 3.19) < 1e-9 && std::abs(y.Span() - 0.12) < 1e-9; }))
        << y.Min() << " " << y.Span();
}

} // namespace
