// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/TriggerScan.h"

#include "chart/PlotTypes.h"

#include <cmath>

void TTriggerScan::Reset()
{
    FArmed = false;
    FHavePrevious = false;
}

std::optional<double> TTriggerScan::Take(double x, double y, uint16_t flags)
{
    if (flags & PlotPointFlags::Empty)
        return std::nullopt;
    if ((flags & PlotPointFlags::Null) || !std::isfinite(x) || !std::isfinite(y)) {
        Reset();
        return std::nullopt;
    }
    // A step back in time (the clock was set back) starts a new trace at this point.
    if (FHavePrevious && x < FPreviousX)
        Reset();
    // A falling edge is a rising edge of the negated trace through the negated level.
    const double sign = FCondition.Edge == TTriggerEdge::Rising ? 1.0 : -1.0;
    const double value = sign * y;
    const double level = sign * FCondition.Level;
    std::optional<double> crossing;
    if (value < level - FCondition.Hysteresis) {
        FArmed = true;
    } else if (FArmed && value > level && FHavePrevious) {
        FArmed = false;
        // The previous point is at or below the level (it would have fired otherwise).
        const double share = (level - FPreviousValue) / (value - FPreviousValue);
        crossing = FPreviousX + share * (x - FPreviousX);
    }
    FHavePrevious = true;
    FPreviousX = x;
    FPreviousValue = value;
    return crossing;
}
