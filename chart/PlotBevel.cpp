// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PlotBevel.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>

void DrawPlotBevel(QPainter &painter, const QRect &rect, TPlotBevelStyle style)
{
    if (style == bsNone || rect.isEmpty())
        return;
    QPalette palette = QGuiApplication::palette();
    QColor light = palette.color(QPalette::Light);
    QColor dark = palette.color(QPalette::Dark);
    QColor topLeft = style == bsRaised ? light : dark;
    QColor bottomRight = style == bsRaised ? dark : light;
    painter.save();
    painter.setPen(QPen(topLeft, 0));
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.topLeft(), rect.bottomLeft());
    painter.setPen(QPen(bottomRight, 0));
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.drawLine(rect.topRight(), rect.bottomRight());
    painter.restore();
}
