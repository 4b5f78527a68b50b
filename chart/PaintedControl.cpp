// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PaintedControl.h"

#include "chart/PlotBevel.h"
#include "chart/PlotClock.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <exception>

TPaintedControl::TPaintedControl(TPlotClock &clock, QWidget *parent)
    : QWidget(parent)
    , FClock(clock)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    FRepaintTimer.setSingleShot(true);
    FRepaintTimer.setTimerType(Qt::PreciseTimer);
    connect(&FRepaintTimer, &QTimer::timeout, this, &TPaintedControl::RepaintTimerFired);
}

void TPaintedControl::RequestRepaint()
{
    FWholeRepaintPending = true;
    Request();
}

void TPaintedControl::RequestPartRepaint()
{
    Request();
}

void TPaintedControl::Request()
{
    if (FPreparing)
        return; // the repaint being granted draws it
    if (FUpdateCount > 0) {
        FRepaintPending = true;
        return;
    }
    if (FAutoFrameRate && FUpdateFrameRate > 0) {
        // A held request is already due to be granted: nothing to decide (and no clock to read) until then.
        if (FRepaintPending && FRepaintScheduled)
            return;
        const double now = FClock.MonotonicSeconds();
        const double windowEnd = FLastRepaintTime + 1.0 / FUpdateFrameRate;
        FRepaintPending = true;
        if (now <= windowEnd) {
            int milliseconds = static_cast<int>(std::ceil((windowEnd - now) * 1000.0));
            FRepaintTimer.start(std::max(milliseconds, 1));
            FRepaintScheduled = true;
            return;
        }
        GrantRepaint(now);
        return;
    }
    GrantRepaint(FClock.MonotonicSeconds());
}

void TPaintedControl::GrantRepaint(double now)
{
    FPreparing = true;
    PrepareRepaint();
    FPreparing = false;
    FRepaintPending = false;
    FLastRepaintTime = now;
    FRepaintTimer.stop();
    FRepaintScheduled = false;
    ++FGrantedRepaints;
    if (FWholeRepaintPending) {
        FWholeRepaintPending = false;
        update();
        return;
    }
    ++FGrantedPartRepaints;
    update(PartRegion());
}

void TPaintedControl::RepaintTimerFired()
{
    FRepaintScheduled = false;
    if (FRepaintPending && FUpdateCount == 0)
        GrantRepaint(FClock.MonotonicSeconds());
}

void TPaintedControl::BeginUpdate()
{
    ++FUpdateCount;
}

void TPaintedControl::EndUpdate()
{
    if (FUpdateCount == 0)
        return;
    if (--FUpdateCount == 0 && FRepaintPending) {
        FRepaintPending = false;
        Request();
    }
}

void TPaintedControl::SetUpdateFrameRate(int rate)
{
    FUpdateFrameRate = std::max(rate, 0);
}

void TPaintedControl::SetAutoFrameRate(bool automatic)
{
    FAutoFrameRate = automatic;
}

void TPaintedControl::SetBackGroundColor(const QColor &color)
{
    if (color == FBackGroundColor)
        return;
    FBackGroundColor = color;
    RequestRepaint();
}

void TPaintedControl::SetBorderStyle(TPlotBevelStyle style)
{
    if (style == FBorderStyle)
        return;
    FBorderStyle = style;
    RequestRepaint();
}

void TPaintedControl::DrawErrorPicture(QPainter &painter, const QSize &size, const QString &message)
{
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::black);
    painter.setPen(Qt::white);
    painter.drawText(QRect(QPoint(4, 4), size - QSize(8, 8)), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, message);
}

void TPaintedControl::DrawBorder(QPainter &painter, const QSize &size) const
{
    if (FBorderStyle == bsNone)
        return;
    QRect outer(QPoint(0, 0), size);
    DrawPlotBevel(painter, outer.adjusted(0, 0, -1, -1), FBorderStyle);
    DrawPlotBevel(painter, outer.adjusted(1, 1, -2, -2), FBorderStyle);
}

void TPaintedControl::paintEvent(QPaintEvent *event)
{
    FPaintRect = event->rect();
    // Straight onto the widget: the window's backing store already keeps the picture off screen until it is whole.
    QPainter painter(this);
    try {
        PaintControl(painter, size());
    } catch (const std::exception &error) {
        painter.end(); // a fresh painter: nothing of the failed paint's state (clip, transform) is left
        QPainter errorPainter(this);
        DrawErrorPicture(errorPainter, size(), QString::fromUtf8(error.what()));
        if (FPaintRect != rect())
            update(); // the error picture covers the whole control
    }
}

void TPaintedControl::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    RequestRepaint();
}

void TPaintedControl::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange)
        RequestRepaint();
}
