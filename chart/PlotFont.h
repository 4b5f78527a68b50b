// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>

// A chart font: a face at a pixel height, with its colour. Faces the machine lacks fall back to a sans-serif face
// with CJK coverage.
struct TPlotFont {
    QFont Font;
    QColor Color;

    static TPlotFont Make(const QString &family, int pixelHeight, bool bold, QColor color);
    bool operator==(const TPlotFont &other) const { return Font == other.Font && Color == other.Color; }
};
