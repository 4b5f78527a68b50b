#include "chart/PlotYAxis.h"

TPlotYAxis::TPlotYAxis(TPlotMasterManager *owner, const TPlotObjectHooks &hooks)
    : TPlotAxis(owner, hooks)
{
    SetHorizontal(false);
    SetTrackingStyle(ptsScaleMinMax);
    SetTrackingAlignFirstStyle(pafsNone);
}
