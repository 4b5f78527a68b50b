// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlotTestSupport.h"
#include "tests/support/WaitUntil.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace
{

TEST(RepaintThrottle, HeldRequestIsGrantedAtTheEndOfTheWindow)
{
    TStripChart chart;
    TPlot &plot = *chart.Plot;
    ASSERT_TRUE(WaitUntil([&] { return !plot.RepaintPending(); })); // the set-up's own changes
    chart.Clock.Advance(1.0);
    plot.RequestRepaint();
    const int granted = plot.GrantedRepaints();
    EXPECT_FALSE(plot.RepaintPending());

    // Within 1/60 s of the last granted request: held, however many arrive.
    chart.AddAfter(0.005, 10);
    chart.AddAfter(0.005, 20);
    EXPECT_TRUE(plot.RepaintPending());
    EXPECT_EQ(plot.GrantedRepaints(), granted);

    // No further change arrives: the held request is still granted.
    EXPECT_TRUE(WaitUntil([&] { return !plot.RepaintPending(); }));
    EXPECT_EQ(plot.GrantedRepaints(), granted + 1);

    // Past the window a request goes through at once.
    chart.Clock.Advance(0.02);
    plot.RequestRepaint();
    EXPECT_EQ(plot.GrantedRepaints(), granted + 2);
}

TEST(RepaintThrottle, UpdateBracketHoldsRequestsAndRateZeroGrantsAll)
{
    TStripChart chart;
    TPlot &plot = *chart.Plot;
    ASSERT_TRUE(WaitUntil([&] { return !plot.RepaintPending(); }));
    chart.Clock.Advance(1.0);
    const int granted = plot.GrantedRepaints();
    plot.BeginUpdate();
    chart.AddAfter(0.5, 10);
    chart.AddAfter(0.5, 20);
    EXPECT_EQ(plot.GrantedRepaints(), granted);
    EXPECT_TRUE(plot.RepaintPending());
    plot.EndUpdate();
    EXPECT_EQ(plot.GrantedRepaints(), granted + 1);
    EXPECT_FALSE(plot.RepaintPending());

    plot.SetUpdateFrameRate(0);
    plot.RequestRepaint();
    plot.RequestRepaint();
    EXPECT_EQ(plot.GrantedRepaints(), granted + 3);
}

} // namespace
