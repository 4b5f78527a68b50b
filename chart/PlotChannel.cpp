#include "chart/PlotChannel.h"

#include "chart/PlotClock.h"
#include "chart/PlotMasterManager.h"

TPlotChannel::TPlotChannel(TPlotMasterManager *owner, const TPlotObjectHooks &hooks)
    : TPlotChannelCustom(owner, hooks)
    , FStartTime(Owner().Clock().Now())
{
}

int TPlotChannel::AddElapsed(double y)
{
    long double days = static_cast<long double>(Owner().Clock().Now()) - FStartTime;
    double x = static_cast<double>(days * 60 * 60 * 24);
    return AddPoint(x, y);
}
