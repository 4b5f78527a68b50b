// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PlotScale.h"

#include <QString>
#include <functional>
#include <vector>

// One tick of an axis.
struct TPlotTickObject {
    double Value = 0;
    bool Major = false;
    QString Label; // majors only
    int Pixel = 0;
    bool InRange = false; // within the scale extent at the last drawing
};

// How many label slots fit along an axis: trunc(length / slot), at least 1.
int PlotTickSlotCount(int axisLength, int slot);

// The major tick increment for a span and a slot count: the first of 1, 2, 5 x 10^d, 10^(d+1), ... (d from the span
// and the slot count) that divides the span into at most `slotCount` intervals, halved when that leaves fewer than two
// intervals on an axis with room for more.
double PlotTickIncrement(double span, int slotCount);

// The ticks of a linear scale: majors at multiples of the increment from one below Min to one above Min + Span,
// `minorCount` minors between two majors, each labelled major carrying label(value). Ticks whose pixel lies outside
// the scale extent are left out.
std::vector<TPlotTickObject> ComputePlotTicks(
    const TPlotScale &scale, int slotCount, int minorCount, const std::function<QString(double)> &label);
