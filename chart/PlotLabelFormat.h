// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PlotTypes.h"

#include <QString>

// Axis label numbers. The number of decimals follows the axis span, not the value, so every label of an axis has the
// same form: with 3 significant digits a span of 1 gives 2 decimals, 10 to 99 give 1, 100 and more give none.
int PlotLabelDecimals(double span, int precision, TPlotPrecisionStyle style);

// Fixed notation with the given decimals, '.' as the separator, no group separators and no sign on a zero.
QString FormatPlotValue(double value, int decimals);
