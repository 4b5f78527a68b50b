// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PlotLabel.h"

#include <QPainter>

TPlotLabel::TPlotLabel(TPlotMasterManager *owner, const TPlotObjectHooks &hooks)
    : TPlotLayoutObject(owner, hooks)
{
    SetHorizontal(true);
}

int TPlotLabel::Thickness(const TPlotMeasure &measure) const
{
    return MarginTop() + measure.TextHeight(Font().Font, Caption()) + MarginBottom();
}

void TPlotLabel::Draw(QPainter &painter, const TPlotDrawContext &)
{
    const TPlotRect &band = Band();
    QRect rect(band.Left, band.Top + MarginTop(), band.Right - band.Left, band.Bottom - band.Top - MarginTop());
    Qt::Alignment alignment = Alignment() == paLeft ? Qt::AlignLeft
        : Alignment() == paRight                    ? Qt::AlignRight
                                                    : Qt::AlignHCenter;
    painter.setFont(Font().Font);
    painter.setPen(Font().Color);
    painter.drawText(rect, alignment | Qt::AlignTop | Qt::TextDontClip, Caption());
}
