// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PlotMeasure.h"

class QPaintDevice;

// Measures text with the font metrics of a paint device (or of the screen when none is given).
class TPlotFontMeasure : public TPlotMeasure
{
public:
    explicit TPlotFontMeasure(QPaintDevice *device = nullptr)
        : FDevice(device)
    {
    }

    int TextWidth(const QFont &font, const QString &text) const override;
    int TextHeight(const QFont &font, const QString &text) const override;

private:
    QPaintDevice *FDevice;
};
