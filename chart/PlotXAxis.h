// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PlotAxis.h"

// A horizontal axis. Inside a TPlot it scrolls smoothly with new data; its first value aligns automatically.
class TPlotXAxis : public TPlotAxis
{
public:
    TPlotXAxis(TPlotMasterManager *owner, const TPlotObjectHooks &hooks);
};
