// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PlotClock.h"

#include <chrono>

namespace
{

class TSystemPlotClock : public TPlotClock
{
public:
    TDateTime Now() const override { return ::Now(); }

    double MonotonicSeconds() const override
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    }
};

} // namespace

TPlotClock &TPlotClock::System()
{
    static TSystemPlotClock clock;
    return clock;
}
