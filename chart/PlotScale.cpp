#include "chart/PlotScale.h"

#include <cmath>

int TPlotScale::ValueToPixel(double value) const
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

double TPlotScale::PixelToValue(int pixel) const
{
    if (High == Low)
        return Min;
    if (Horizontal)
        return Min + Span * (pixel - Low) / (High - Low);
    return Min + Span * (High - pixel) / (High - Low);
}

bool TPlotScale::PixelInRange(int pixel) const
{
    return Low <= High ? pixel >= Low && pixel <= High : pixel >= High && pixel <= Low;
}

bool TPlotScale::InRange(double value) const
{
    return PixelInRange(ValueToPixel(value));
}
