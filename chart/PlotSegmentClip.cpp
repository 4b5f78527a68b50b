// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PlotSegmentClip.h"

#include <algorithm>
#include <utility>

std::optional<TPlotPixelSegment> ClipPlotSegment(
    double x1, double y1, double x2, double y2, const TPlotScale &xScale, const TPlotScale &yScale)
{
    if (x2 < x1) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    const double xMin = xScale.Min, xMax = xScale.Min + xScale.Span;
    const double yMin = yScale.Min, yMax = yScale.Min + yScale.Span;
    // NaN coordinates fail these tests and drop the segment.
    if (!(x2 >= xMin && x1 <= xMax))
        return std::nullopt;
    if (!(std::max(y1, y2) >= yMin && std::min(y1, y2) <= yMax))
        return std::nullopt;

    if (x1 < xMin) {
        y1 += (y2 - y1) * (xMin - x1) / (x2 - x1);
        x1 = xMin;
    }
    if (x2 > xMax) {
        y2 = y1 + (y2 - y1) * (xMax - x1) / (x2 - x1);
        x2 = xMax;
    }

    auto clampY = [&](double &x, double &y, double ox, double oy) {
        double edge = y < yMin ? yMin : y > yMax ? yMax : y;
        if (edge == y || oy == y)
            return;
        x += (ox - x) * (edge - y) / (oy - y);
        y = edge;
    };
    double ox1 = x1, oy1 = y1;
    clampY(x1, y1, x2, y2);
    clampY(x2, y2, ox1, oy1);

    TPlotPixelSegment segment { xScale.ValueToPixel(x1), yScale.ValueToPixel(y1), xScale.ValueToPixel(x2),
        yScale.ValueToPixel(y2) };
    if (!xScale.PixelInRange(segment.X1) || !xScale.PixelInRange(segment.X2) || !yScale.PixelInRange(segment.Y1)
        || !yScale.PixelInRange(segment.Y2))
        return std::nullopt;
    return segment;
}
