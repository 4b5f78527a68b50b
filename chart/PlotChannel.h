// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PlotChannelCustom.h"
#include "core/DateTime.h"

// The channel of a TPlot: dates its construction and adds points at the seconds elapsed since then.
class TPlotChannel : public TPlotChannelCustom
{
public:
    TPlotChannel(TPlotMasterManager *owner, const TPlotObjectHooks &hooks);

    // The local date-time at construction. Nothing resets it, clearing included.
    TDateTime StartTime() const { return FStartTime; }

    // Seconds from StartTime to now, by the chart's clock.
    double ElapsedSeconds() const;
    // Adds Y at X = ElapsedSeconds(). Returns the point's index.
    int AddElapsed(double y);

    // Every data style keeps its points in the standard store.
    PLOT_PROPERTY(TPlotDataStyle, DataStyle, pdsStandard)

private:
    TDateTime FStartTime;
};
