// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PlotScale.h"

#include <cmath>

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
