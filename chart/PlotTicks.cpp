// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PlotTicks.h"

#include <algorithm>
#include <cmath>

int PlotTickSlotCount(int axisLength, int slot)
{
    int n = axisLength / std::max(slot, 1);
    return std::max(n, 1);
}

double PlotTickIncrement(double span, int slotCount)
{
    if (span <= 1e-299)
        return span;
    int n = std::max(slotCount, 1);
    double d = std::trunc(std::log10(span) - 1 - std::log10(static_cast<double>(n)));
    static constexpr double Mantissas[] = { 1, 2, 5 };
    double increment = span;
    bool found = false;
    // The sequence grows tenfold every three steps, so a few hundred steps cover every finite span.
    for (int step = 0; step < 3000 && !found; ++step) {
        double candidate = Mantissas[step % 3] * std::pow(10.0, d + step / 3);
        if (candidate > 0 && span / candidate <= n) {
            increment = candidate;
            found = true;
        }
    }
    double count = std::nearbyint(span / increment);
    if (count < 2 && n > 1) {
        increment /= 2;
        count = 2;
    }
    if (count > n)
        increment = span / n;
    return increment;
}

std::vector<TPlotTickObject> ComputePlotTicks(
    const TPlotScale &scale, int slotCount, int minorCount, const std::function<QString(double)> &label)
{
    std::vector<TPlotTickObject> ticks;
    double increment = PlotTickIncrement(scale.Span, slotCount);
    if (!(increment > 0) || !std::isfinite(increment))
        return ticks;
    double start = std::trunc(scale.Min / increment) * increment - increment;
    double end = scale.Min + scale.Span + increment;
    double minorStep = increment / (std::max(minorCount, 0) + 1);

    auto add = [&](double value, bool major) {
        int pixel = scale.ValueToPixel(value);
        if (!scale.PixelInRange(pixel))
            return;
        TPlotTickObject tick;
        tick.Value = value;
        tick.Major = major;
        tick.Pixel = pixel;
        tick.InRange = true;
        if (major)
            tick.Label = label(value);
        ticks.push_back(std::move(tick));
    };

    // Positions are start + k * increment rather than running sums, so labels do not drift. The walk stops when a
    // step no longer moves the position (an increment lost in the magnitude of Min).
    double position = start;
    for (long k = 0; position <= end; ++k) {
        add(position, true);
        double next = start + static_cast<double>(k + 1) * increment;
        if (next == position)
            break;
        if (next <= end) {
            for (int j = 1; j <= minorCount; ++j)
                add(position + j * minorStep, false);
        }
        position = next;
    }
    return ticks;
}
