// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace
{

QPixmap DrawIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;

    QRectF face(s * 0.04, s * 0.04, s * 0.92, s * 0.92);
    painter.setPen(QPen(QColor(40, 60, 110), qMax<qreal>(1.0, s / 32)));
    painter.setBrush(QColor(16, 24, 48));
    painter.drawRoundedRect(face, s * 0.16, s * 0.16);

    // A wave that settles into steps, the way a device's numbers look on the chart.
    QPainterPath trace;
    const QPointF points[] = { { 0.12, 0.62 }, { 0.26, 0.30 }, { 0.40, 0.72 }, { 0.52, 0.42 }, { 0.62, 0.42 },
        { 0.62, 0.58 }, { 0.76, 0.58 }, { 0.76, 0.34 }, { 0.88, 0.34 } };
    trace.moveTo(points[0] * s);
    for (std::size_t i = 1; i < std::size(points); ++i)
        trace.lineTo(points[i] * s);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(80, 230, 120), qMax<qreal>(1.5, s / 12), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(trace);
    return pixmap;
}

} // namespace

QIcon ApplicationIcon()
{
    QIcon icon;
    for (int size : { 16, 32, 48, 128 })
        icon.addPixmap(DrawIcon(size));
    return icon;
}
