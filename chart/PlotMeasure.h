// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QString>

// Text measures for ticks and layout, taken from the canvas the chart is drawn on (screen, picture or printer), so
// that the layout fits the fonts as that canvas renders them.
class TPlotMeasure
{
public:
    virtual ~TPlotMeasure() = default;

    virtual int TextWidth(const QFont &font, const QString &text) const = 0;
    virtual int TextHeight(const QFont &font, const QString &text) const = 0;
};
