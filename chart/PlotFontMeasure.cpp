#include "chart/PlotFontMeasure.h"

#include <QFontMetrics>

int TPlotFontMeasure::TextWidth(const QFont &font, const QString &text) const
{
    QFontMetrics metrics = FDevice ? QFontMetrics(font, FDevice) : QFontMetrics(font);
    return metrics.horizontalAdvance(text);
}

int TPlotFontMeasure::TextHeight(const QFont &font, const QString &) const
{
    QFontMetrics metrics = FDevice ? QFontMetrics(font, FDevice) : QFontMetrics(font);
    return metrics.height();
}
