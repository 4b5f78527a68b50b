// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/instruments/InstrumentPlot.h"

#include "chart/Plot.h"
#include "chart/PlotChannel.h"
#include "chart/PlotDescription.h"
#include "chart/PlotXAxis.h"

#include <cmath>

void SetUpInstrumentPlot(TPlot &plot)
{
    LoadStripChartDescription(plot);
    plot.SetTitleVisible(false);
    TPlotChannel &channel = *plot.Channel(0);
    channel.SetXAxisTrackingEnabled(false);
    channel.SetYAxisTrackingEnabled(false);
}

void FitInstrumentAxis(TPlotAxis &axis, double min, double max, double spare)
{
    if (!axis.TrackingEnabled() || !std::isfinite(min) || !std::isfinite(max) || max < min)
        return;
    double span = max - min;
    if (span <= 0) {
        min -= 0.5;
        span = 1;
    } else {
        min -= span * spare;
        span += 2 * span * spare;
    }
    if (axis.Min() != min || axis.Span() != span)
        axis.SetMinSpan(min, span);
}
