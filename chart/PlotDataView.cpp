// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PlotDataView.h"

#include "chart/PlotMasterManager.h"
#include "chart/PlotPen.h"
#include "chart/PlotXAxis.h"
#include "chart/PlotYAxis.h"

#include <QPainter>

TPlotXAxis *TPlotDataView::GridXAxis() const
{
    if (!FGridXAxis)
        FGridXAxis = Owner().XAxes().FindItem(FGridXAxisName);
    return FGridXAxis;
}

TPlotYAxis *TPlotDataView::GridYAxis() const
{
    if (!FGridYAxis)
        FGridYAxis = Owner().YAxes().FindItem(FGridYAxisName);
    return FGridYAxis;
}

void TPlotDataView::SetGridXAxisName(const QString &name)
{
    if (name == FGridXAxisName)
        return;
    FGridXAxisName = name;
    FGridXAxis = nullptr;
    NotifyChange();
}

void TPlotDataView::SetGridYAxisName(const QString &name)
{
    if (name == FGridYAxisName)
        return;
    FGridYAxisName = name;
    FGridYAxis = nullptr;
    NotifyChange();
}

void TPlotDataView::AxisRemoved(TPlotAxis *axis)
{
    if (axis == static_cast<TPlotAxis *>(FGridXAxis))
        FGridXAxis = nullptr;
    if (axis == static_cast<TPlotAxis *>(FGridYAxis))
        FGridYAxis = nullptr;
}

void TPlotDataView::AxisRenamed(TPlotAxis *axis, const QString &oldName)
{
    auto follows = [&](TPlotAxis *linked, const QString &name) {
        return linked ? linked == axis : name.compare(oldName, Qt::CaseInsensitive) == 0;
    };
    if (auto *x = dynamic_cast<TPlotXAxis *>(axis); x && follows(FGridXAxis, FGridXAxisName)) {
        FGridXAxisName = x->Name();
        FGridXAxis = x;
    }
    if (auto *y = dynamic_cast<TPlotYAxis *>(axis); y && follows(FGridYAxis, FGridYAxisName)) {
        FGridYAxisName = y->Name();
        FGridYAxis = y;
    }
}

void TPlotDataView::Draw(QPainter &painter, const TPlotDrawContext &)
{
    const TPlotRect &r = FRect;
    if (!BackgroundTransparent())
        painter.fillRect(QRect(QPoint(r.Left, r.Top), QPoint(r.Right, r.Bottom)), BackgroundColor());
    if (!GridShow())
        return;

    auto drawTicks = [&](const TPlotAxis *axis, bool vertical, bool majors, bool minors) {
        if (!axis || !axis->GridLinesVisible())
            return;
        for (const TPlotTickObject &tick : axis->Ticks()) {
            if (!tick.InRange || (tick.Major ? !majors : !minors))
                continue;
            painter.setPen(tick.Major ? MakePlotPen(GridLineColor(), GridLineMajorWidth(), GridLineMajorStyle())
                                      : MakePlotPen(GridLineColor(), GridLineMinorWidth(), GridLineMinorStyle()));
            if (vertical)
                painter.drawLine(tick.Pixel, r.Top, tick.Pixel, r.Bottom);
            else
                painter.drawLine(r.Left, tick.Pixel, r.Right, tick.Pixel);
        }
    };
    drawTicks(GridXAxis(), true, GridLineShowXMajors(), GridLineShowXMinors());
    drawTicks(GridYAxis(), false, GridLineShowYMajors(), GridLineShowYMinors());

    painter.setPen(MakePlotPen(GridLineColor(), GridLineMajorWidth(), plsSolid));
    if (GridLineShowLeft())
        painter.drawLine(r.Left, r.Top, r.Left, r.Bottom);
    if (GridLineShowTop())
        painter.drawLine(r.Left, r.Top, r.Right, r.Top);
    if (GridLineShowRight())
        painter.drawLine(r.Right, r.Top, r.Right, r.Bottom);
    if (GridLineShowBottom())
        painter.drawLine(r.Left, r.Bottom, r.Right, r.Bottom);
}
