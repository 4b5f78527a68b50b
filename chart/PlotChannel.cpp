// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PlotChannel.h"

#include "chart/PlotClock.h"
#include "chart/PlotMasterManager.h"

TPlotChannel::TPlotChannel(TPlotMasterManager *owner, const TPlotObjectHooks &hooks)
    : TPlotChannelCustom(owner, hooks)
    , FStartTime(Owner().Clock().Now())
{
}

double TPlotChannel::ElapsedSeconds() const
{
    long double days = static_cast<long double>(Owner().Clock().Now()) - FStartTime;
    return static_cast<double>(days * 60 * 60 * 24);
}

int TPlotChannel::AddElapsed(double y)
{
    return AddPoint(ElapsedSeconds(), y);
}
