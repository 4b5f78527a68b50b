// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PlotToolActions.h"

#include "chart/PlotAxis.h"
#include "chart/PlotChannelCustom.h"
#include "chart/PlotError.h"
#include "chart/PlotMasterManager.h"
#include "chart/PlotXAxis.h"
#include "chart/PlotYAxis.h"

#include <Qt>
#include <algorithm>
#include <cmath>

void PauseAllAxes(TPlotMasterManager &master)
{
    for (TPlotAxis *axis : master.Axes())
        axis->SetTrackingEnabled(false);
}

void ResumeAllAxes(TPlotMasterManager &master)
{
    for (TPlotAxis *axis : master.Axes())
        axis->SetTrackingEnabled(true);
}

void ZoomAxis(TPlotAxis &axis, double factor)
{
    if (!(factor > 0))
        throw EPlotError("Linear Scale Zoom Factor must be Greater than Zero");
    const double span = factor * axis.Span();
    axis.SetMinSpan((axis.Min() + axis.Min() + axis.Span()) / 2 - span / 2, span);
}

void ZoomAllAxes(TPlotMasterManager &master, double factor)
{
    if (!(factor > 0))
        throw EPlotError("Linear Scale Zoom Factor must be Greater than Zero");
    for (TPlotAxis *axis : master.Axes())
        ZoomAxis(*axis, factor);
}

namespace
{

void ScrollAxis(TPlotAxis &axis, double newMin)
{
    if (axis.ScrollMinMaxEnabled())
        newMin = std::max(axis.ScrollMin(), std::min(newMin, axis.ScrollMax() - axis.Span()));
    axis.SetMin(newMin);
}

} // namespace

void DragAxis(TPlotAxis &axis, double fraction, bool zoomMode)
{
    if (zoomMode)
        ZoomAxis(axis, 1.0 / std::pow(10.0, fraction / 4.0));
    else
        ScrollAxis(axis, axis.Min() - fraction * axis.Span());
}

void WheelAxis(TPlotAxis &axis, bool up, bool zoomMode)
{
    if (zoomMode)
        ZoomAxis(axis, up ? 1.0 / std::pow(10.0, 0.025) : std::pow(10.0, 0.025));
    else
        ScrollAxis(axis, axis.Min() + (up ? 0.05 : -0.05) * axis.Span());
}

double AxisKeyStep(int key)
{
    switch (key) {
    case Qt::Key_PageUp:
    case Qt::Key_End:
        return 1.0;
    case Qt::Key_PageDown:
    case Qt::Key_Home:
        return -1.0;
    case Qt::Key_Up:
    case Qt::Key_Right:
        return 0.01;
    case Qt::Key_Left:
    case Qt::Key_Down:
        return -0.01;
    default:
        return 0.0;
    }
}

void StepAxis(TPlotAxis &axis, double step, bool zoomMode)
{
    if (zoomMode)
        ZoomAxis(axis, 1.0 / std::pow(10.0, step));
    else
        ScrollAxis(axis, axis.Min() + step * axis.Span());
}

bool ZoomAxisToFit(TPlotAxis &axis)
{
    const bool isX = dynamic_cast<TPlotXAxis *>(&axis) != nullptr;
    double low = 1e300, high = -1e300;
    bool found = false;
    auto &channels = axis.Owner().Channels();
    for (int i = 0; i < channels.Count(); ++i) {
        TPlotChannelCustom *channel = channels.Item(i);
        if (!channel->Visible())
            continue;
        const QString &name = isX ? channel->XAxisName() : channel->YAxisName();
        if (name != axis.Name())
            continue;
        double min = 0, max = 0;
        if (isX ? channel->FitXRange(min, max) : channel->VisibleYRange(min, max)) {
            low = std::min(low, min);
            high = std::max(high, max);
            found = true;
        }
    }
    if (!found || !(high > low))
        return false;
    axis.SetMinSpan(low, high - low);
    return true;
}

bool IsZoomBoxAccepted(const QPoint &start, const QPoint &end)
{
    return end.x() > start.x() && end.y() > start.y();
}

void ApplyZoomBox(TPlotMasterManager &master, const QPoint &start, const QPoint &end)
{
    if (!IsZoomBoxAccepted(start, end))
        return;
    // Values are read before any axis moves, so that every axis maps the same box.
    for (int i = 0; i < master.XAxes().Count(); ++i) {
        TPlotAxis *axis = master.XAxes().Item(i);
        const double left = axis->PixelToValue(start.x());
        const double right = axis->PixelToValue(end.x());
        axis->SetMinSpan(left, right - left);
    }
    for (int i = 0; i < master.YAxes().Count(); ++i) {
        TPlotAxis *axis = master.YAxes().Item(i);
        const double bottom = axis->PixelToValue(end.y());
        const double top = axis->PixelToValue(start.y());
        axis->SetMinSpan(bottom, top - bottom);
    }
}
