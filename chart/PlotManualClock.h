// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PlotClock.h"

// A clock that only moves when told to: tests and benchmarks date points and pace repaints with it.
class TPlotManualClock : public TPlotClock
{
public:
    explicit TPlotManualClock(TDateTime now = 45000.5)
        : FNow(now)
    {
    }

    TDateTime Now() const override { return FNow; }
    double MonotonicSeconds() const override { return FMonotonic; }

    // Moves both clocks forward (or the date-time back, for a negative amount; the monotonic clock never goes back).
    void Advance(double seconds);
    // Sets the date-time alone, as a user changing the system clock would.
    void SetNow(TDateTime now) { FNow = now; }

private:
    TDateTime FNow;
    double FMonotonic = 1000.0;
};
