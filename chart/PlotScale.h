#pragma once

#include <cmath>

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
        double offset = std::nearbyint((value - Min) * (High - Low) / Span);
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
