// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PlotTypes.h"

#include <QRect>

class QPainter;

// A one-pixel bevel around a rectangle: raised (light top and left, dark bottom and right) or lowered (the reverse),
// in the system's 3-D colours. bsNone draws nothing.
void DrawPlotBevel(QPainter &painter, const QRect &rect, TPlotBevelStyle style);
