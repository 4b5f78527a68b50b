// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PlotYAxis.h"

TPlotYAxis::TPlotYAxis(TPlotMasterManager *owner, const TPlotObjectHooks &hooks)
    : TPlotAxis(owner, hooks)
{
    SetHorizontal(false);
    SetTrackingStyle(ptsScaleMinMax);
    SetTrackingAlignFirstStyle(pafsNone);
}
