// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PlotTypes.h"

#include <QPen>

// A pen for chart lines. Width 1 (and 0) is drawn with the thinnest pen, one device pixel on every canvas.
inline QPen MakePlotPen(const QColor &color, int width, TPlotLineStyle style)
{
    static constexpr Qt::PenStyle Styles[]
        = { Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine, Qt::DashDotDotLine };
    int index = static_cast<int>(style);
    QPen pen(color, width <= 1 ? 0 : width, index >= 0 && index < 5 ? Styles[index] : Qt::SolidLine);
    pen.setCosmetic(width <= 1);
    return pen;
}
