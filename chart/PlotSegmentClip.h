// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PlotScale.h"

#include <optional>

struct TPlotPixelSegment {
    int X1 = 0;
    int Y1 = 0;
    int X2 = 0;
    int Y2 = 0;
    bool operator==(const TPlotPixelSegment &) const = default;
};

// Clips a segment given in data coordinates to the window of two axes and returns its pixels, or nothing when no part
// of it is visible. Ends outside the X window slide along the segment to its edges first, then ends above or below the
// Y window; a segment whose ends still fall outside either scale extent is dropped.
std::optional<TPlotPixelSegment> ClipPlotSegment(
    double x1, double y1, double x2, double y2, const TPlotScale &xScale, const TPlotScale &yScale);
