// SPDX-License-Identifier: GPL-3.0-or-later
// New data repaints only the data view and the axes; what is on the screen afterwards must be the whole chart as a
// full render draws it, also when the new data moves the layout (wider Y labels).
#include "PlotTestSupport.h"
#include "tests/support/WaitUntil.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <functional>
#include <gtest/gtest.h>

namespace
{

using namespace std::chrono_literals;

// What the window shows: the backing store's pixels of the chart's top-level window.
QImage OnScreen(TPlot &plot)
{
    return QGuiApplication::primaryScreen()->grabWindow(plot.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

int DifferingPixels(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return a.width() * a.height();
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            count += a.pixel(x, y) != b.pixel(x, y);
    return count;
}

TEST(PlotPartRepaint, TheScreenShowsTheWholeChartAfterDataOnlyRepaints)
{
    const struct {
        const char *Name;
        std::function<double(int)> Value; // the value added at step i
    } cases[] = {
        { "steady values", [](int i) { return 100 + i % 7; } },
        { "values whose labels grow wider", [](int i) { return i * i * 997.0; } },
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.Name);
        TStripChart chart;
        TPlot &plot = *chart.Plot;
        plot.show();
        ASSERT_TRUE(WaitUntil([&] { return plot.isVisible() && !plot.RepaintPending(); }));
        PumpFor(50ms);
        for (int i = 0; i < 40; ++i) {
            chart.AddAfter(0.05, row.Value(i)); // past the frame window: each step is granted at once
            PumpFor(5ms);
        }
        ASSERT_TRUE(WaitUntil([&] { return !plot.RepaintPending(); }));
        PumpFor(50ms);
        EXPECT_GT(plot.GrantedPartRepaints(), 20); // new data asked for part repaints
        EXPECT_EQ(DifferingPixels(OnScreen(plot), plot.RenderImage(true)), 0);
    }
}

} // namespace
