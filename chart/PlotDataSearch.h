// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PlotDataCustomList.h"

// Binary searches over a channel's points, whose X never decreases.

// The first index whose X is not below `x` (Count() when none).
inline int FirstAtOrAfter(const TPlotDataCustomList &data, double x)
{
    int low = 0, high = data.Count();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (data.X(middle) < x)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

// The first index whose X is above `x` (Count() when none).
inline int FirstAfter(const TPlotDataCustomList &data, double x)
{
    int low = 0, high = data.Count();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (data.X(middle) <= x)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}
