// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cmath>

// std::nearbyint in the default rounding mode (halves to the even neighbour), inline: the library call saves and
// restores the floating-point environment, which costs more than the rest of a pixel mapping. Adding and taking away
// 1.5 x 2^52 leaves no fraction bits, so the addition itself rounds. At 2^51 and beyond (and for NaN) the value is
// returned as it is: such values lie far past any pixel and are limited by the callers anyway.
inline double PlotRoundHalfToEven(double value)
{
    constexpr double Shift = 6755399441055744.0; // 1.5 x 2^52
    constexpr double Exact = 2251799813685248.0; // 2^51
    if (!(std::fabs(value) < Exact))
        return value;
    return (value + Shift) - Shift;
}

// The linear mapping between an axis's values and pixels.
// Low and High are the scale extent's ends: left and right for a horizontal axis, top and bottom for a vertical one.
// Min lies at Low (horizontal) or at High (vertical, values grow upwards).
struct TPlotScale {
    double Min = 0;
    double Span = 100;
    int Low = 0;
    int High = 0;
    bool Horizontal = true;

    static constexpr int PixelLimit = 32000;

    // The pixel of a value, rounded half to even and limited to -32000 ... 32000. An extent without length, or a span
    // too small to divide by, maps every value to the middle of the extent.
    int ValueToPixel(double value) const
    {
        if (High == Low || Span <= 1e-300)
            return (Low + High) / 2;
        double offset = PlotRoundHalfToEven((value - Min) * (High - Low) / Span);
        double pixel = Horizontal ? Low + offset : High - offset;
        if (std::isnan(pixel))
            return -PixelLimit;
        if (pixel < -PixelLimit)
            return -PixelLimit;
        if (pixel > PixelLimit)
            return PixelLimit;
        return static_cast<int>(pixel);
    }
    // The value at a pixel; Min when the extent has no length.
    double PixelToValue(int pixel) const;
    // Whether the value's pixel lies within the scale extent, ends included.
    bool InRange(double value) const;
    bool PixelInRange(int pixel) const;
    int Length() const { return High > Low ? High - Low : Low - High; }
};
