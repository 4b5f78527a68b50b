// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PlotXAxis.h"

#include "chart/PlotMasterManager.h"

TPlotXAxis::TPlotXAxis(TPlotMasterManager *owner, const TPlotObjectHooks &hooks)
    : TPlotAxis(owner, hooks)
{
    SetHorizontal(true);
    SetTrackingStyle(Owner().InsidePlot() ? ptsScrollSmooth : ptsScaleMinMax);
    SetTrackingAlignFirstStyle(pafsAuto);
}
