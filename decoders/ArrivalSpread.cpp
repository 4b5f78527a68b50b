// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoders/ArrivalSpread.h"

#include <algorithm>

TArrivalSpan ArrivalSpan(double arrival, double previousArrival, bool hasPrevious)
{
    const double gap = hasPrevious ? std::clamp(arrival - previousArrival, 0.0, MaxArrivalSpread) : 0.0;
    return TArrivalSpan { arrival - gap, arrival };
}

double LineArrivalTime(const TArrivalSpan &span, std::size_t line, std::size_t lines)
{
    if (lines == 0 || line + 1 >= lines)
        return span.Arrival;
    return span.Start + (span.Arrival - span.Start) * static_cast<double>(line + 1) / static_cast<double>(lines);
}
