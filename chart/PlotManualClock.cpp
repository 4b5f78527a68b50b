// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PlotManualClock.h"

void TPlotManualClock::Advance(double seconds)
{
    FNow += seconds / SecondsPerDay;
    if (seconds > 0)
        FMonotonic += seconds;
}
