// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PlotFont.h"
#include "chart/PlotLayoutObject.h"

// A text band, such as the chart's title: its caption in its font, aligned within the band.
class TPlotLabel : public TPlotLayoutObject
{
public:
    TPlotLabel(TPlotMasterManager *owner, const TPlotObjectHooks &hooks);

    int Thickness(const TPlotMeasure &measure) const override;
    TPlotLayoutKind LayoutKind() const override { return TPlotLayoutKind::Label; }
    void Draw(QPainter &painter, const TPlotDrawContext &context) override;

    PLOT_LAYOUT_PROPERTY(QString, Caption, "Untitled")
    PLOT_LAYOUT_PROPERTY(TPlotFont, Font, TPlotFont::Make("Arial", 19, true, Qt::white))
    PLOT_PROPERTY(TPlotAlignment, Alignment, paCenter)
    PLOT_LAYOUT_PROPERTY(int, MarginTop, 0)
    PLOT_LAYOUT_PROPERTY(int, MarginBottom, 0)
};
