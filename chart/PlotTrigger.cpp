// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PlotTrigger.h"

#include "chart/PlotChannelCustom.h"
#include "chart/PlotDataView.h"
#include "chart/PlotLayoutManager.h"
#include "chart/PlotMasterManager.h"
#include "chart/PlotPen.h"
#include "chart/PlotXAxis.h"
#include "chart/PlotYAxis.h"

#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <cmath>

namespace
{

// A share of the source's value range: enough to ride over noise, small beside any edge worth a trigger.
constexpr double HysteresisShare = 0.01;
// The triangle marking the trigger's moment: half its width and its height in pixels.
constexpr int MarkerHalfWidth = 4;
constexpr int MarkerHeight = 6;

double HysteresisOf(const TPlotChannelCustom &channel)
{
    const double range = channel.YMax() - channel.YMin();
    return std::isfinite(range) && range > 0 && range < 1e300 ? range * HysteresisShare : 0.0;
}

// The first index whose X is at least x (points in rising X); count when there is none.
int FirstIndexFrom(const TPlotDataCustomList &store, double x)
{
    int low = 0, high = store.Count();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (store.X(middle) < x)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

} // namespace

TPlotTrigger::TPlotTrigger(TPlotMasterManager &master)
    : FMaster(master)
{
}

void TPlotTrigger::SetSettings(const TPlotTriggerSettings &settings)
{
    TPlotTriggerSettings clean = settings;
    clean.Position = std::isfinite(settings.Position) ? std::clamp(settings.Position, 0.0, 100.0) : 10.0;
    if (!std::isfinite(clean.Level))
        clean.Level = 0;
    if (clean == FSettings)
        return;
    const bool wasEnabled = FSettings.Enabled;
    FSettings = clean;
    FStarted = false;
    if (wasEnabled && !FSettings.Enabled)
        ReleaseTimeAxes();
}

void TPlotTrigger::Rearm()
{
    TPlotChannelCustom *source = Source();
    const int count = source ? source->Count() : 0;
    FHold.Rearm(count > 0 ? source->X(count - 1) : -1e300);
}

TPlotChannelCustom *TPlotTrigger::Source() const
{
    const int index = FSettings.Source;
    return index >= 0 && index < FMaster.Channels().Count() ? FMaster.Channels().Item(index) : nullptr;
}

void TPlotTrigger::ReleaseTimeAxes()
{
    for (int i = 0; i < FMaster.XAxes().Count(); ++i)
        FMaster.XAxes().Item(i)->SetTrackingHeld(false);
}

void TPlotTrigger::Restart(TPlotChannelCustom &source, const TPlotAxis &timeAxis)
{
    FStarted = true;
    FScanned = &source;
    FScan = TTriggerScan(TTriggerCondition { FSettings.Level, FSettings.Edge, 0.0 });
    const int count = source.Count();
    const double newest = count > 0 ? source.X(count - 1) : timeAxis.Max();
    FHold.Start(FSettings.Mode, newest);
    const int first = count > 0 ? FirstIndexFrom(source.Data(), newest - 2 * timeAxis.Span()) : 0;
    FNextPoint = source.AddedCount() - count + first;
}

void TPlotTrigger::Update()
{
    if (!FSettings.Enabled)
        return;
    TPlotChannelCustom *source = Source();
    TPlotXAxis *timeAxis = source ? source->XAxis() : nullptr;
    if (!timeAxis)
        return;
    // Cleared data counts its points from 0 again.
    if (!FStarted || source != FScanned || source->AddedCount() < FNextPoint)
        Restart(*source, *timeAxis);

    const double span = timeAxis->Span();
    const double before = span * FSettings.Position / 100.0;
    const int count = source->Count();
    if (count > 0) {
        const double newest = source->X(count - 1);
        // Points overwritten in a full ring before they were looked at are gone: the search goes on after the gap.
        const int64_t dropped = source->AddedCount() - count;
        if (FNextPoint < dropped) {
            FNextPoint = dropped;
            FScan.Reset();
        }
        FScan.SetHysteresis(HysteresisOf(*source));
        // A crossing is complete when the part of the span after it has arrived.
        const int next = ScanForTriggers(source->Data(), static_cast<int>(FNextPoint - dropped),
            newest - (span - before), FScan, [&](double time) { FHold.Trigger(time, newest); });
        FNextPoint = dropped + next;
        FHold.Elapse(newest, span);
    }

    if (!timeAxis->TrackingEnabled())
        return;
    timeAxis->SetTrackingHeld(!FHold.Following());
    if (!FHold.Following() && FHold.Shown())
        timeAxis->SetMinSpan(*FHold.Shown() - before, span);
}

void TPlotTrigger::DrawLevel(QPainter &painter) const
{
    const TPlotChannelCustom *source = FSettings.Enabled ? Source() : nullptr;
    const TPlotYAxis *valueAxis = source ? source->YAxis() : nullptr;
    if (!valueAxis || !valueAxis->InRange(FSettings.Level))
        return;
    const TPlotRect &view = FMaster.Layout().DataViewRect();
    const int y = valueAxis->ValueToPixel(FSettings.Level);
    painter.save();
    painter.setPen(MakePlotPen(source->Color(), 1, plsDash));
    painter.drawLine(view.Left, y, view.Right, y);
    painter.restore();
}

void TPlotTrigger::DrawMarker(QPainter &painter) const
{
    const TPlotChannelCustom *source = FSettings.Enabled ? Source() : nullptr;
    const TPlotXAxis *timeAxis = source ? source->XAxis() : nullptr;
    if (!timeAxis || FHold.Following() || !FHold.Shown() || !timeAxis->InRange(*FHold.Shown()))
        return;
    const int x = timeAxis->ValueToPixel(*FHold.Shown());
    const int edge = FMaster.Layout().DataViewRect().Bottom;
    const QPolygon triangle({ QPoint(x, edge), QPoint(x - MarkerHalfWidth, edge + MarkerHeight),
        QPoint(x + MarkerHalfWidth, edge + MarkerHeight) });
    painter.save();
    painter.setPen(MakePlotPen(source->Color(), 1, plsSolid));
    painter.setBrush(source->Color());
    painter.drawPolygon(triangle);
    painter.restore();
}
