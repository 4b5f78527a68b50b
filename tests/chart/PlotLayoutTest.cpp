// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PlotLayout.h"

#include "PlotTestSupport.h"
#include "chart/PlotAxis.h"
#include "chart/PlotDataView.h"
#include "chart/PlotFontMeasure.h"
#include "chart/PlotLegend.h"
#include "chart/PlotToolBar.h"
#include "chart/PlotYAxis.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace
{

TPlotLayoutItem Item(TPlotLayoutKind kind, bool horizontal, int zOrder, int thickness, int overhang)
{
    TPlotLayoutItem item;
    item.Kind = kind;
    item.Horizontal = horizontal;
    item.ZOrder = zOrder;
    item.Thickness = thickness;
    item.Overhang = overhang;
    return item;
}

// The main window's chart area, 860 x 382, no border, margins 5, with round measures (digits 7 wide, text 13 high):
// toolbar 36; X axis 5 + 7 + round(13 x 0.25) + 13 + 5 = 33, overhang half of 5 digits = 17; Y axis
// 5 + 7 + 3 + 35 + 5 = 55, overhang half of 13 = 6; legend 7 + 16 + round(3.5) + 14 + 7 = 48.
TEST(PlotLayout, StripChartBandsWorkedOutByHand)
{
    TPlotLayoutInput input;
    input.Width = 860;
    input.Height = 382;
    input.Items = { Item(TPlotLayoutKind::ToolBar, true, 3, 36, 0), Item(TPlotLayoutKind::Legend, false, 2, 48, 0),
        Item(TPlotLayoutKind::Axis, true, 0, 33, 17), Item(TPlotLayoutKind::Axis, false, 0, 55, 6) };
    TPlotLayoutResult layout = ComputePlotLayout(input);

    // left 5 + 55; right 860 - (48 + 5 + 1); bottom 382 - (33 + 5 + 1); top 36 + 5, plus the Y overhang under the
    // toolbar.
    EXPECT_EQ(layout.DataView, (TPlotRect { 60, 47, 806, 343 }));
    EXPECT_EQ(layout.Items[0].Band, (TPlotRect { 0, 0, 859, 36 }));
    EXPECT_EQ(layout.Items[1].Band, (TPlotRect { 806, 47, 854, 343 }));
    EXPECT_EQ(layout.Items[1].Side, TPlotSide::Right);
    EXPECT_EQ(layout.Items[2].Band, (TPlotRect { 60, 343, 806, 376 }));
    EXPECT_EQ(layout.Items[2].Side, TPlotSide::Bottom);
    EXPECT_EQ(layout.Items[2].ExtentLow, 60);
    EXPECT_EQ(layout.Items[2].ExtentHigh, 806);
    EXPECT_EQ(layout.Items[3].Band, (TPlotRect { 5, 47, 60, 343 }));
    EXPECT_EQ(layout.Items[3].ExtentLow, 47);
    EXPECT_EQ(layout.Items[3].ExtentHigh, 343);

    // Without the toolbar (pictures) the top is only the margin and the Y overhang.
    input.Items.erase(input.Items.begin());
    EXPECT_EQ(ComputePlotLayout(input).DataView, (TPlotRect { 60, 11, 806, 343 }));
}

TEST(PlotLayout, RowsShareZOrderAndStackOutwards)
{
    TPlotLayoutInput input;
    input.Width = 400;
    input.Height = 300;
    TPlotLayoutItem near = Item(TPlotLayoutKind::Axis, false, 0, 40, 6);
    TPlotLayoutItem shared = Item(TPlotLayoutKind::Axis, false, 0, 30, 6);
    near.StopPercent = shared.StartPercent = 50;
    near.StackingEndsRoom = shared.StackingEndsRoom = 8;
    TPlotLayoutItem far = Item(TPlotLayoutKind::Axis, false, -1, 20, 6);
    input.Items = { near, shared, far, Item(TPlotLayoutKind::Axis, true, 1, 30, 10) };
    TPlotLayoutResult layout = ComputePlotLayout(input);

    // Left side: the ZOrder 0 row (40 thick, shared) next to the data view, the ZOrder -1 row beyond it.
    EXPECT_EQ(layout.DataView.Left, 5 + 60);
    EXPECT_EQ(layout.Items[0].Band.Right, 65);
    EXPECT_EQ(layout.Items[1].Band.Left, 25);
    EXPECT_EQ(layout.Items[2].Band.Right, 25);
    EXPECT_EQ(layout.Items[2].Band.Left, 5);
    // The shared row's axes leave room at their ends; the one alone in its row does not.
    EXPECT_TRUE(layout.Items[0].Stacked);
    EXPECT_EQ(layout.Items[0].ExtentLow, layout.Items[0].Band.Top + 8);
    EXPECT_FALSE(layout.Items[2].Stacked);
    // ZOrder 1 is not above DataViewZHorz: the horizontal axis goes below.
    EXPECT_EQ(layout.Items[3].Side, TPlotSide::Bottom);
}

int Round(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

// The chart at the main window's size, with the machine's fonts: the plot area follows from the font measures.
TEST(PlotLayout, StripChartAtItsRealSize)
{
    TStripChart chart;
    QImage image = chart.Paint();
    image = chart.Paint();

    TPlotFontMeasure measure(&image);
    const TPlotXAxis &x = *chart.Plot->XAxis(0);
    const TPlotYAxis &y = *chart.Plot->YAxis(0);
    const QFont &labels = x.LabelsFont().Font;
    const int digit = measure.TextWidth(labels, "0");
    const int height = measure.TextHeight(labels, "0");
    auto widest = [&](const TPlotAxis &axis) {
        int w = Round(digit * 5.0);
        w = std::max(w, measure.TextWidth(labels, axis.LabelText(axis.Span())));
        for (const TPlotTickObject &tick : axis.Ticks())
            if (tick.Major)
                w = std::max(w, measure.TextWidth(labels, tick.Label));
        return w;
    };
    const int yThickness = 5 + 7 + Round(height * 0.25) + widest(y) + 5;
    const int xThickness = 5 + 7 + Round(height * 0.25) + height + 5;
    const int xOverhang = widest(x) / 2;
    const int yOverhang = height / 2;
    const QFont &legendFont = chart.Plot->Legend(0)->Font().Font;
    const int legendDigit = measure.TextWidth(legendFont, "0");
    const int legend = 2 * legendDigit + 16 + Round(0.5 * legendDigit) + measure.TextWidth(legendFont, "数据");

    const TPlotRect expected { 5 + std::max(yThickness, xOverhang), 36 + 5 + yOverhang,
        860 - (std::max(legend, xOverhang) + 5 + 1), 382 - (xThickness + 5 + 1) };
    EXPECT_EQ(chart.Plot->DataViewRect(), expected);
    EXPECT_EQ(chart.Plot->DataView(0)->Rect(), expected);
    EXPECT_EQ(chart.Plot->ToolBar(0)->Band(), (TPlotRect { 0, 0, 859, 36 }));

    // The buttons: 3 pixels in, 30 wide, a 10-pixel gap after each group that shows.
    TPlotToolBar &toolBar = *chart.Plot->ToolBar(0);
    EXPECT_EQ(toolBar.Button(TPlotToolBar::tbResume).Rect(), (TPlotRect { 3, 3, 33, 33 }));
    EXPECT_EQ(toolBar.Button(TPlotToolBar::tbScroll).Rect().Left, 73);
    EXPECT_EQ(toolBar.Button(TPlotToolBar::tbZoomOut).Rect().Left, 143);
    EXPECT_EQ(toolBar.Button(TPlotToolBar::tbZoomBox).Rect().Left, 213); // Select is hidden
    EXPECT_EQ(toolBar.Button(TPlotToolBar::tbEdit).Rect().Left, 283);
    EXPECT_EQ(toolBar.Button(TPlotToolBar::tbPrint).Rect(), (TPlotRect { 383, 3, 413, 33 }));
    EXPECT_FALSE(toolBar.Button(TPlotToolBar::tbResume).Enabled); // nothing is paused
    EXPECT_TRUE(toolBar.Button(TPlotToolBar::tbPause).Enabled);

    // Pictures leave the toolbar out and give its room to the plot area.
    QImage picture(860, 382, QImage::Format_RGB32);
    QPainter painter(&picture);
    chart.Plot->Render(painter, picture.size(), false);
    EXPECT_EQ(chart.Plot->DataViewRect().Top, 5 + yOverhang);
}

} // namespace
