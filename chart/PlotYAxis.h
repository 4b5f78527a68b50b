// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PlotAxis.h"

// A vertical axis that widens to take in new extremes.
class TPlotYAxis : public TPlotAxis
{
public:
    TPlotYAxis(TPlotMasterManager *owner, const TPlotObjectHooks &hooks);
};
