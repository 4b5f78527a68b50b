// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PlotAxis.h"

#include "chart/PlotLabelFormat.h"
#include "chart/PlotMasterManager.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace
{

constexpr double MinSpan = 1e-300;
constexpr double MaxValue = 1e300;

int Round(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

// Pixels grow away from the data view on the bottom and right sides, towards it on the top and left sides.
int Outwards(TPlotSide side)
{
    return side == TPlotSide::Top || side == TPlotSide::Left ? -1 : 1;
}

} // namespace

TPlotAxis::TPlotAxis(TPlotMasterManager *owner, const TPlotObjectHooks &hooks)
    : TPlotLayoutObject(owner, hooks)
{
}

bool TPlotAxis::ApplyMin(double min)
{
    if (std::isnan(min))
        return false;
    min = std::clamp(min, -MaxValue, MaxValue);
    if (min == FMin)
        return false;
    double old = FMin;
    FMin = min;
    NotifyViewChange();
    Owner().AxisMinChanged(this, old);
    return true;
}

bool TPlotAxis::ApplySpan(double span)
{
    if (std::isnan(span))
        return false;
    span = std::clamp(span, MinSpan, MaxValue);
    if (span == FSpan)
        return false;
    double old = FSpan;
    FSpan = span;
    NotifyViewChange();
    Owner().AxisSpanChanged(this, old);
    return true;
}

void TPlotAxis::SetMin(double min)
{
    double old = FMin;
    if (ApplyMin(min))
        Owner().AxisMinSpanChanged(this, old, FSpan);
}

void TPlotAxis::SetSpan(double span)
{
    double old = FSpan;
    if (ApplySpan(span))
        Owner().AxisMinSpanChanged(this, FMin, old);
}

void TPlotAxis::SetMinSpan(double min, double span)
{
    if (min == FMin && span == FSpan)
        return;
    double oldMin = FMin, oldSpan = FSpan;
    bool changed = ApplyMin(min);
    changed = ApplySpan(span) || changed;
    if (changed)
        Owner().AxisMinSpanChanged(this, oldMin, oldSpan);
}

void TPlotAxis::TrackValue(double value)
{
    if (!FTrackingEnabled || FTrackingHeld)
        return;
    double m = FMin;
    double s = FSpan;
    if (!FFirstValueSeen) {
        FFirstValueSeen = true;
        switch (FTrackingAlignFirstStyle) {
        case pafsMin:
            m = value;
            break;
        case pafsMax:
            m = value - FSpan;
            break;
        case pafsAuto:
            // A first value inside the shown range leaves it alone.
            if (value < FMin || value > FMin + FSpan)
                m = value;
            break;
        case pafsNone:
            break;
        }
    }
    switch (FTrackingStyle) {
    case ptsScaleMinMax:
        // The range grows upwards to take in a new top; a new bottom moves the whole range down.
        if (value > m + FSpan)
            s = value - m;
        if (value < m)
            m = value;
        break;
    case ptsScrollSmooth:
        if (value <= m + FSpan) {
            if (value < FMin)
                m = value;
        } else {
            if (FTrackingScrollCompressMax != 0) {
                if (FSpan > FTrackingScrollCompressMax)
                    s = FTrackingScrollCompressMax;
                else if (FSpan < value - m)
                    s = value - m;
            }
            // The newest value sits exactly at the right end.
            m = value - s;
        }
        break;
    default:
        // The other styles are not offered; such an axis keeps its range after the first value.
        break;
    }
    SetMinSpan(m, s);
}

void TPlotAxis::SetTrackingEnabled(bool enabled)
{
    if (enabled == FTrackingEnabled)
        return;
    if (!enabled && FRestoreValuesOnResume) {
        FResumeMin = FMin;
        FResumeSpan = FSpan;
        FSavedLabelsMinLength = LabelsMinLength();
    }
    FTrackingEnabled = enabled;
    if (enabled && FRestoreValuesOnResume) {
        SetMinSpan(FResumeMin, FResumeSpan);
        SetLabelsMinLength(FSavedLabelsMinLength);
    }
    NotifyChange();
}

void TPlotAxis::SetResumeValues(double min, double span)
{
    FResumeMin = min;
    FResumeSpan = span;
}

QString TPlotAxis::LabelText(double value) const
{
    return FormatPlotValue(value, PlotLabelDecimals(FSpan, LabelsPrecision(), LabelsPrecisionStyle()));
}

int TPlotAxis::WidestLabel(const TPlotMeasure &measure, bool previousTicks) const
{
    const QFont &font = LabelsFont().Font;
    int widest = Round(measure.TextWidth(font, QStringLiteral("0")) * LabelsMinLength());
    widest = std::max(widest, measure.TextWidth(font, LabelText(FSpan + std::trunc(FMin / FSpan) * FSpan)));
    if (previousTicks) {
        for (const TPlotTickObject &tick : FTicks)
            if (tick.Major)
                widest = std::max(widest, measure.TextWidth(font, tick.Label));
    }
    return widest;
}

int TPlotAxis::LabelsOffset(const TPlotMeasure &measure) const
{
    int offset = InnerMargin() + MajorLength();
    return offset + Round(measure.TextHeight(LabelsFont().Font, QStringLiteral("A")) * LabelsMargin());
}

void TPlotAxis::ComputeTicks(const TPlotMeasure &measure)
{
    const QFont &font = LabelsFont().Font;
    int slot;
    if (IsHorizontal())
        slot = Round(
            WidestLabel(measure, false) + measure.TextWidth(font, QStringLiteral("0")) * (LabelSeparation() + 1));
    else
        slot = Round(measure.TextHeight(font, QStringLiteral("0")) * (LabelSeparation() + 1));
    TPlotScale scale = Scale();
    int slotCount = PlotTickSlotCount(scale.Length(), slot);
    FTicks = ComputePlotTicks(scale, slotCount, MinorCount(), [this](double value) { return LabelText(value); });
}

int TPlotAxis::Thickness(const TPlotMeasure &measure) const
{
    int thickness = InnerMargin();
    if (ScaleLinesShow())
        thickness += std::max(MajorLength(), MinorLength());
    if (LabelsVisible()) {
        const QFont &font = LabelsFont().Font;
        thickness += Round(measure.TextHeight(font, QStringLiteral("A")) * LabelsMargin());
        thickness += IsHorizontal() ? measure.TextHeight(font, QStringLiteral("0")) : WidestLabel(measure, true);
    }
    thickness += OuterMargin();
    if (TitleShow())
        thickness += Round(measure.TextHeight(TitleFont().Font, Title()) * (1 + TitleMargin()));
    return thickness;
}

int TPlotAxis::Overhang(const TPlotMeasure &measure) const
{
    if (IsHorizontal())
        return WidestLabel(measure, true) / 2;
    return measure.TextHeight(LabelsFont().Font, QStringLiteral("XYZ")) / 2;
}

int TPlotAxis::StackingEndsRoom(const TPlotMeasure &measure) const
{
    return Overhang(measure) + Round(measure.TextWidth(LabelsFont().Font, QStringLiteral("0")) * StackingEndsMargin());
}

void TPlotAxis::Place(const TPlotLayoutPlacement &placement)
{
    TPlotLayoutObject::Place(placement);
    FExtentLow = placement.ExtentLow;
    FExtentHigh = placement.ExtentHigh;
    FStacked = placement.Stacked;
}

int TPlotAxis::InnerEdge() const
{
    switch (Side()) {
    case TPlotSide::Top:
        return Band().Bottom;
    case TPlotSide::Left:
        return Band().Right;
    case TPlotSide::Right:
        return Band().Left;
    default:
        return Band().Top;
    }
}

void TPlotAxis::DrawLabel(QPainter &painter, const TPlotMeasure &measure, const TPlotTickObject &tick, int offset) const
{
    const QFont &font = LabelsFont().Font;
    int width = measure.TextWidth(font, tick.Label);
    int height = measure.TextHeight(font, tick.Label);
    int inner = InnerEdge();
    int x, y;
    switch (Side()) {
    case TPlotSide::Top:
        x = tick.Pixel - width / 2;
        y = inner - offset - height;
        break;
    case TPlotSide::Left:
        x = inner - offset - width;
        y = tick.Pixel - height / 2;
        break;
    case TPlotSide::Right:
        x = inner + offset;
        y = tick.Pixel - height / 2;
        break;
    default:
        x = tick.Pixel - width / 2;
        y = inner + offset;
        break;
    }
    // Drawn at its baseline: the same pixels as a top-left aligned text in its box, without laying the text out in a
    // box again at every repaint.
    painter.drawText(QPoint(x, y + QFontMetrics(font, painter.device()).ascent()), tick.Label);
}

void TPlotAxis::DrawTitle(QPainter &painter, const TPlotMeasure &measure, int offset) const
{
    const QFont &font = TitleFont().Font;
    int labelDepth = 0;
    if (LabelsVisible())
        labelDepth
            = IsHorizontal() ? measure.TextHeight(LabelsFont().Font, QStringLiteral("0")) : WidestLabel(measure, true);
    int height = measure.TextHeight(font, Title());
    int width = measure.TextWidth(font, Title());
    int distance = offset + labelDepth + Round(height * TitleMargin());
    int inner = InnerEdge();
    int middle = (FExtentLow + FExtentHigh) / 2;
    painter.setFont(font);
    painter.setPen(TitleFont().Color);
    if (IsHorizontal()) {
        int y = Side() == TPlotSide::Top ? inner - distance - height : inner + distance;
        painter.drawText(QRect(middle - width / 2, y, width, height), Qt::AlignLeft | Qt::TextDontClip, Title());
        return;
    }
    int x = Side() == TPlotSide::Left ? inner - distance - height : inner + distance;
    painter.save();
    painter.translate(x, middle + width / 2);
    painter.rotate(-90);
    painter.drawText(QRect(0, 0, width, height), Qt::AlignLeft | Qt::TextDontClip, Title());
    painter.restore();
}

void TPlotAxis::Draw(QPainter &painter, const TPlotDrawContext &context)
{
    const TPlotMeasure &measure = context.Measure;
    const TPlotScale scale = Scale();
    for (TPlotTickObject &tick : FTicks)
        tick.InRange = scale.InRange(tick.Value);

    int offset = LabelsOffset(measure);
    if (LabelsVisible()) {
        painter.setFont(LabelsFont().Font);
        painter.setPen(LabelsFont().Color);
        for (const TPlotTickObject &tick : FTicks)
            if (tick.Major && tick.InRange)
                DrawLabel(painter, measure, tick, offset);
    }

    if (ScaleLinesShow()) {
        painter.setPen(QPen(ScaleLinesColor(), 0));
        const int out = Outwards(Side());
        const int line = InnerEdge() + out * InnerMargin();
        auto drawAcross = [&](int along, int from, int to) {
            if (IsHorizontal())
                painter.drawLine(along, from, along, to);
            else
                painter.drawLine(from, along, to, along);
        };
        if (IsHorizontal())
            painter.drawLine(FExtentLow, line, FExtentHigh, line);
        else
            painter.drawLine(line, FExtentLow, line, FExtentHigh);
        for (const TPlotTickObject &tick : FTicks) {
            if (!tick.InRange)
                continue;
            int length = tick.Major ? MajorLength() : MinorLength();
            drawAcross(tick.Pixel, line, line + out * length);
        }
    }

    if (TitleShow())
        DrawTitle(painter, measure, offset);
}
