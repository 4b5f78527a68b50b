// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PlotLabelFormat.h"

#include <cmath>

int PlotLabelDecimals(double span, int precision, TPlotPrecisionStyle style)
{
    if (style == psFixedDecimalPoints)
        return precision < 0 ? 0 : precision;
    if (precision <= 0 || span == 0 || !std::isfinite(span))
        return 0;
    double magnitude = std::trunc(std::log10(std::fabs(span)));
    double decimals = precision - (magnitude + 1);
    if (std::fabs(span) < 1)
        decimals += 1;
    return decimals < 0 ? 0 : static_cast<int>(decimals);
}

QString FormatPlotValue(double value, int decimals)
{
    QString text = QString::number(value, 'f', decimals);
    // A small negative value rounded to zero would read "-0.00".
    if (text.startsWith(u'-')) {
        bool allZero = true;
        for (qsizetype i = 1; i < text.size() && allZero; ++i)
            allZero = text[i] == u'0' || text[i] == u'.';
        if (allZero)
            text.remove(0, 1);
    }
    return text.trimmed();
}
