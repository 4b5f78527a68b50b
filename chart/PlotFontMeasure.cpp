// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PlotFontMeasure.h"

#include <QFontMetrics>
#include <QHash>
#include <QPaintDevice>
#include <algorithm>
#include <vector>

namespace
{

// Every repaint measures the same few labels again (the axes' widest labels for the layout): widths are kept per
// resolution, font and text, so that a repaint costs no text shaping for them. The cache is per thread, as painting
// is; a font's texts start afresh when they grow many (labels that scroll by leave old texts behind).
constexpr qsizetype MaxCachedWidths = 4096;

struct TFontWidths {
    int Dpi;
    QFont Font;
    QHash<QString, int> Widths;
};

} // namespace

int TPlotFontMeasure::TextWidth(const QFont &font, const QString &text) const
{
    thread_local std::vector<TFontWidths> fonts;
    const int dpi = FDevice ? FDevice->logicalDpiX() : 0;
    auto entry = std::find_if(
        fonts.begin(), fonts.end(), [&](const TFontWidths &each) { return each.Dpi == dpi && each.Font == font; });
    if (entry == fonts.end()) {
        if (fonts.size() >= 16)
            fonts.clear();
        fonts.push_back({ dpi, font, {} });
        entry = fonts.end() - 1;
    }
    QHash<QString, int> &widths = entry->Widths;
    if (auto found = widths.constFind(text); found != widths.constEnd())
        return *found;
    QFontMetrics metrics = FDevice ? QFontMetrics(font, FDevice) : QFontMetrics(font);
    const int width = metrics.horizontalAdvance(text);
    if (widths.size() >= MaxCachedWidths)
        widths.clear();
    widths.insert(text, width);
    return width;
}

int TPlotFontMeasure::TextHeight(const QFont &font, const QString &) const
{
    QFontMetrics metrics = FDevice ? QFontMetrics(font, FDevice) : QFontMetrics(font);
    return metrics.height();
}
