// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlotTestSupport.h"
#include "chart/PlotLabel.h"
#include "chart/PlotMasterManager.h"
#include "chart/PlotSegmentClip.h"
#include "chart/PlotYAxis.h"

#include <QPainter>
#include <cmath>
#include <gtest/gtest.h>
#include <stdexcept>

namespace
{

const QColor Red(255, 0, 0);
const QColor DarkGreen(0, 128, 0);

bool Is(const QImage &image, int x, int y, const QColor &color)
{
    return image.pixelColor(x, y) == color;
}

int CountColour(const QImage &image, const QRect &area, const QColor &color)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += Is(image, x, y, color) ? 1 : 0;
    return count;
}

QRect PlotArea(const TStripChart &chart)
{
    const TPlotRect dv = chart.Plot->DataViewRect();
    return QRect(QPoint(dv.Left, dv.Top), QPoint(dv.Right, dv.Bottom));
}

int CountBright(const QImage &image, const QRect &area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += qGray(image.pixel(x, y)) > 160 ? 1 : 0;
    return count;
}

TEST(PlotSegmentClip, KeepsTheVisiblePartOfASegment)
{
    const TPlotScale x { 0, 10, 0, 100, true };
    const TPlotScale y { 0, 10, 0, 100, false };
    struct TCase {
        const char *Name;
        double X1, Y1, X2, Y2;
        std::optional<TPlotPixelSegment> Expected;
    };
    const TCase cases[] = {
        { "inside", 1, 1, 9, 9, TPlotPixelSegment { 10, 90, 90, 10 } },
        { "ends are ordered by X", 9, 9, 1, 1, TPlotPixelSegment { 10, 90, 90, 10 } },
        { "left end slides to the X window", -10, 0, 10, 10, TPlotPixelSegment { 0, 50, 100, 0 } },
        { "top end slides to the Y window", 0, 0, 5, 20, TPlotPixelSegment { 0, 100, 25, 0 } },
        { "left of the window", -5, 1, -1, 2, std::nullopt },
        { "above the window", 1, 11, 9, 12, std::nullopt },
        { "crosses only outside the corner", -5, 5, 5, 25, std::nullopt },
        { "vertical", 5, -5, 5, 15, TPlotPixelSegment { 50, 100, 50, 0 } },
    };
    for (const TCase &c : cases)
        EXPECT_EQ(ClipPlotSegment(c.X1, c.Y1, c.X2, c.Y2, x, y), c.Expected) << c.Name;
}

// Black chart, dark-green grid at the major ticks, white scale, ticks and labels, red trace through the points.
TEST(PlotDrawing, PictureShowsGridScaleLabelsAndTrace)
{
    TStripChart chart;
    chart.AddAfter(0.2, 20);
    chart.AddAfter(0.3, 80);
    chart.AddAfter(0.3, 50);
    QImage image = chart.Paint();
    const TPlotRect dv = chart.Plot->DataViewRect();
    const TPlotXAxis &x = *chart.Plot->XAxis(0);
    const TPlotYAxis &y = *chart.Plot->YAxis(0);
    ASSERT_EQ(x.Min(), 0); // all three inside the first second
    EXPECT_TRUE(Is(image, 2, 100, Qt::black));

    int majors = 0;
    for (const TPlotTickObject &tick : x.Ticks()) {
        if (!tick.Major)
            continue;
        ++majors;
        // A grid line down the plot area (the trace crosses it in a few rows at most).
        QRect column(tick.Pixel, dv.Top, 1, dv.Bottom - dv.Top + 1);
        EXPECT_GT(CountColour(image, column, DarkGreen), column.height() * 9 / 10) << tick.Label.toStdString();
        // A white tick from 5 to 12 pixels below the plot area, and a white label below it.
        EXPECT_TRUE(Is(image, tick.Pixel, dv.Bottom + 8, Qt::white)) << tick.Label.toStdString();
        EXPECT_GT(CountBright(image, QRect(tick.Pixel - 15, dv.Bottom + 13, 31, 15)), 5) << tick.Label.toStdString();
    }
    EXPECT_GE(majors, 5);
    for (const TPlotTickObject &tick : y.Ticks()) {
        if (!tick.Major)
            continue;
        QRect row(dv.Left, tick.Pixel, dv.Right - dv.Left + 1, 1);
        EXPECT_GT(CountColour(image, row, DarkGreen), row.width() * 9 / 10) << tick.Label.toStdString();
        EXPECT_TRUE(Is(image, dv.Left - 8, tick.Pixel, Qt::white));
    }
    // The white scale lines, 5 pixels out from the plot area.
    EXPECT_TRUE(Is(image, (dv.Left + dv.Right) / 2 + 3, dv.Bottom + 5, Qt::white));
    EXPECT_TRUE(Is(image, dv.Left - 5, (dv.Top + dv.Bottom) / 2 + 3, Qt::white));

    // The trace: red in every column between the first and the last point, near the straight line between them,
    // and nowhere else.
    const TPlotChannel &channel = *chart.Plot->Channel(0);
    for (int i = 0; i + 1 < channel.Count(); ++i) {
        int x1 = x.ValueToPixel(channel.X(i)), x2 = x.ValueToPixel(channel.X(i + 1));
        int y1 = y.ValueToPixel(channel.Y(i)), y2 = y.ValueToPixel(channel.Y(i + 1));
        for (int column = x1 + 1; column < x2; ++column) {
            int expected = static_cast<int>(std::lround(y1 + double(y2 - y1) * (column - x1) / (x2 - x1)));
            EXPECT_GT(CountColour(image, QRect(column, expected - 2, 1, 5), Red), 0) << column;
        }
    }
    int first = x.ValueToPixel(channel.X(0)), last = x.ValueToPixel(channel.X(channel.Count() - 1));
    const QRect area = PlotArea(chart);
    EXPECT_EQ(CountColour(image, QRect(QPoint(area.left(), area.top()), QPoint(first - 2, area.bottom())), Red), 0);
    EXPECT_EQ(CountColour(image, QRect(QPoint(last + 2, area.top()), area.bottomRight()), Red), 0);
}

TEST(PlotDrawing, TraceAppearsFromTheSecondPoint)
{
    TStripChart chart;
    QImage image = chart.Paint();
    EXPECT_EQ(CountColour(image, PlotArea(chart), Red), 0);
    chart.AddAfter(0.25, 50);
    image = chart.Paint();
    EXPECT_EQ(CountColour(image, PlotArea(chart), Red), 0);
    EXPECT_EQ(chart.Plot->Channel(0)->FirstVisibleIndex(), chart.Plot->Channel(0)->LastVisibleIndex());
    chart.AddAfter(0.5, 60);
    image = chart.Paint();
    EXPECT_GT(CountColour(image, PlotArea(chart), Red), 100);
}

TEST(PlotDrawing, ScrolledTraceDrawsOnlyTheWindowAndOnePointBeyond)
{
    TStripChart chart;
    chart.Plot->XAxis(0)->SetSpan(10);
    for (int i = 0; i < 3000; ++i)
        chart.AddAfter(0.01, i % 2 ? 90 : 10);
    chart.Paint();
    const TPlotChannel &channel = *chart.Plot->Channel(0);
    const double min = chart.Plot->XAxis(0)->Min();
    ASSERT_GT(channel.FirstVisibleIndex(), 0);
    EXPECT_LT(channel.X(channel.FirstVisibleIndex()), min);
    EXPECT_GE(channel.X(channel.FirstVisibleIndex() + 1), min);
    EXPECT_EQ(channel.LastVisibleIndex(), channel.Count() - 1);
}

TEST(PlotDrawing, TinyChartsDrawWithoutFailing)
{
    TStripChart chart;
    chart.AddAfter(0.2, 20);
    chart.AddAfter(0.3, 80);
    for (QSize size : { QSize(1, 1), QSize(40, 30), QSize(120, 45) }) {
        QImage image(size, QImage::Format_RGB32);
        QPainter painter(&image);
        chart.Plot->Render(painter, size);
        // Nothing fails: the toolbar heads the picture, where a failure would leave black.
        EXPECT_FALSE(Is(image, 0, 0, Qt::black)) << size.width();
    }
    chart.Plot->resize(0, 0);
    EXPECT_TRUE(chart.Paint().isNull());
}

// A label whose drawing fails, as a failure deep inside the picture would.
class TFailingLabel : public TPlotLabel
{
public:
    using TPlotLabel::TPlotLabel;
    void Draw(QPainter &, const TPlotDrawContext &) override { throw std::runtime_error("Drawing failed here"); }
};

TEST(PlotDrawing, FailureLeavesABlackPictureWithTheMessage)
{
    TStripChart chart;
    chart.AddAfter(0.2, 20);
    chart.AddAfter(0.3, 80);
    chart.Plot->Master().Labels().Add<TFailingLabel>();
    QImage image = chart.Paint();
    const QRect all = image.rect();
    EXPECT_EQ(CountColour(image, all, DarkGreen), 0);
    EXPECT_EQ(CountColour(image, all, Red), 0);
    EXPECT_GT(CountBright(image, QRect(0, 0, 300, 30)), 20); // the message, in white at the top left
    EXPECT_TRUE(Is(image, 500, 300, Qt::black));
}

} // namespace

TEST(PlotDrawing, AChannelWithoutOrderInXDrawsEverySegmentInAddingOrder)
{
    // A square walked round anticlockwise, a thousand points a side: the last side runs back to the first point's X.
    TStripChart chart;
    TPlotChannel &channel = *chart.Plot->Channel(0);
    channel.SetXOrdered(false);
    channel.SetXAxisTrackingEnabled(false);
    channel.SetYAxisTrackingEnabled(false);
    chart.Plot->XAxis(0)->SetMinSpan(0, 1);
    chart.Plot->YAxis(0)->SetMinSpan(0, 100);
    const std::pair<double, double> corners[] = { { 0.2, 20 }, { 0.8, 20 }, { 0.8, 80 }, { 0.2, 80 }, { 0.2, 20 } };
    for (int side = 0; side < 4; ++side)
        for (int i = 0; i < 1000; ++i) {
            const auto [x0, y0] = corners[side];
            const auto [x1, y1] = corners[side + 1];
            channel.AddPoint(x0 + (x1 - x0) * i / 1000, y0 + (y1 - y0) * i / 1000);
        }
    channel.AddPoint(0.2, 20);
    const QImage image = chart.Paint();
    const TPlotScale xs = chart.Plot->XAxis(0)->Scale(), ys = chart.Plot->YAxis(0)->Scale();
    const int left = xs.ValueToPixel(0.2), right = xs.ValueToPixel(0.8);
    const int top = ys.ValueToPixel(80), bottom = ys.ValueToPixel(20);
    const int middleX = (left + right) / 2, middleY = (top + bottom) / 2;
    EXPECT_TRUE(Is(image, middleX, bottom, Red)) << "bottom side";
    EXPECT_TRUE(Is(image, right, middleY, Red)) << "right side";
    EXPECT_TRUE(Is(image, middleX, top, Red)) << "top side";
    EXPECT_TRUE(Is(image, left, middleY, Red)) << "left side";
    EXPECT_EQ(CountColour(image, QRect(left + 2, top + 2, right - left - 4, bottom - top - 4), Red), 0)
        << "nothing across the inside";
}
