// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PlotFont.h"

TPlotFont TPlotFont::Make(const QString &family, int pixelHeight, bool bold, QColor color)
{
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return TPlotFont { font, color };
}
