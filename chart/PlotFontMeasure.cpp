#include "chart/PlotFontMeasure.h"

#include <QFontMetrics>
#include <QHash>
#include <QPaintDevice>

namespace
{

// Every repaint measures the same few labels again (the axes' widest labels for the layout): widths are kept per
// resolution, font and text, so that a repaint costs no text shaping for them. The cache is per thread, as painting
// is, and starts afresh when it grows large (labels that scroll by leave old texts behind).
constexpr qsizetype MaxCachedWidths = 4096;

QString WidthKey(const QPaintDevice *device, const QFont &font, const QString &text)
{
    const int dpi = device ? device->logicalDpiX() : 0;
    return QString::number(dpi) + QChar(u'\x1F') + font.key() + QChar(u'\x1F') + text;
}

} // namespace

int TPlotFontMeasure::TextWidth(const QFont &font, const QString &text) const
{
    thread_local QHash<QString, int> widths;
    const QString key = WidthKey(FDevice, font, text);
    if (auto found = widths.constFind(key); found != widths.constEnd())
        return *found;
    QFontMetrics metrics = FDevice ? QFontMetrics(font, FDevice) : QFontMetrics(font);
    const int width = metrics.horizontalAdvance(text);
    if (widths.size() >= MaxCachedWidths)
        widths.clear();
    widths.insert(key, width);
    return width;
}

int TPlotFontMeasure::TextHeight(const QFont &font, const QString &) const
{
    QFontMetrics metrics = FDevice ? QFontMetrics(font, FDevice) : QFontMetrics(font);
    return metrics.height();
}
