// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/DateTime.h"

// The chart's clocks. The local date-time dates the channel's start and the elapsed X of new points; the monotonic
// seconds pace the repaint throttle, which must keep working when the user sets the system clock back.
class TPlotClock
{
public:
    virtual ~TPlotClock() = default;

    virtual TDateTime Now() const = 0;
    virtual double MonotonicSeconds() const = 0;

    // The real clocks of the machine.
    static TPlotClock &System();
};
