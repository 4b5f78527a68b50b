// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/Plot.h"
#include "chart/PlotChannel.h"
#include "chart/PlotDescription.h"
#include "chart/PlotManualClock.h"
#include "chart/PlotMeasure.h"
#include "chart/PlotXAxis.h"

#include <QImage>
#include <memory>

// Text measures with round numbers, so that layouts can be worked out by hand: every character 7 pixels wide,
// every text 13 pixels high.
class TFixedMeasure : public TPlotMeasure
{
public:
    int TextWidth(const QFont &, const QString &text) const override { return 7 * static_cast<int>(text.size()); }
    int TextHeight(const QFont &, const QString &) const override { return 13; }
};

// The main window's chart at the size of its area, on a clock the test moves, set up as the main window does.
struct TStripChart {
    TPlotManualClock Clock;
    std::unique_ptr<TPlot> Plot;

    explicit TStripChart(int width = 860, int height = 382)
        : Plot(std::make_unique<TPlot>(nullptr, &Clock))
    {
        LoadStripChartDescription(*Plot);
        Plot->SetTitleVisible(false);
        Plot->XAxis(0)->SetSpan(1);
        Plot->XAxis(0)->SetTitle("Time (Seconds)");
        Plot->resize(width, height);
    }

    // Adds a value after `seconds` more on the clock.
    void AddAfter(double seconds, double value);

    QImage Paint() { return Plot->RenderImage(true); }
};

inline void TStripChart::AddAfter(double seconds, double value)
{
    Clock.Advance(seconds);
    Plot->Channel(0)->AddElapsed(value);
}
