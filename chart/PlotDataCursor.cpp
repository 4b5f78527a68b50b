// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PlotDataCursor.h"

#include "chart/PlotChannelCustom.h"
#include "chart/PlotLabelFormat.h"
#include "chart/PlotLayoutManager.h"
#include "chart/PlotMasterManager.h"
#include "chart/PlotPen.h"
#include "chart/PlotXAxis.h"
#include "chart/PlotYAxis.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace
{

int Round(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

// The cursor's number format of an axis: the label format, or the cursor's own precision.
QString CursorValueText(const TPlotAxis &axis, double value)
{
    if (axis.CursorUseDefaultFormat())
        return axis.LabelText(value);
    return FormatPlotValue(value, PlotLabelDecimals(axis.Span(), axis.CursorPrecision(), axis.LabelsPrecisionStyle()));
}

} // namespace

TPlotChannelCustom *TPlotDataCursor::Channel() const
{
    if (IsAllChannels())
        return nullptr;
    return Owner().Channels().FindItem(ChannelName());
}

int TPlotDataCursor::PointerPixel(int pointer) const
{
    const TPlotRect &dv = Owner().Layout().DataViewRect();
    const double position = pointer == 2 ? Pointer2Position() : Pointer1Position();
    if (HorizontalPointers())
        return dv.Bottom - Round(position / 100.0 * dv.Height());
    return dv.Left + Round(position / 100.0 * dv.Width());
}

double TPlotDataCursor::XAt(const TPlotChannelCustom &channel, int pointer) const
{
    return channel.XAxis()->PixelToValue(PointerPixel(pointer));
}

QString TPlotDataCursor::XText(const TPlotChannelCustom &channel) const
{
    if (!channel.XAxis())
        return QStringLiteral("No X-Axis");
    return CursorValueText(*channel.XAxis(), XAt(channel, 1));
}

QString TPlotDataCursor::YAtX(const TPlotChannelCustom &channel) const
{
    if (!channel.YAxis())
        return QStringLiteral("No Y-Axis");
    if (!channel.XAxis())
        return QStringLiteral("No X-Axis");
    const TPlotXAxis &xAxis = *channel.XAxis();
    const int count = channel.Count();
    const double x = XAt(channel, 1);
    if (count == 0 || x < channel.X(0) || x > channel.X(count - 1))
        return QStringLiteral("Empty");
    // The last point at or left of x (rising X), and its right neighbour.
    int low = 0, high = count - 1;
    while (low < high) {
        const int middle = low + (high - low + 1) / 2;
        if (channel.X(middle) <= x)
            low = middle;
        else
            high = middle - 1;
    }
    double y = channel.Y(low);
    if (low + 1 < count) {
        const int p0 = xAxis.ValueToPixel(channel.X(low));
        const int p1 = xAxis.ValueToPixel(channel.X(low + 1));
        if (p1 != p0)
            y += (channel.Y(low + 1) - y) * (PointerPixel(1) - p0) / double(p1 - p0);
    }
    return CursorValueText(*channel.YAxis(), y);
}

QString TPlotDataCursor::YText(const TPlotChannelCustom &channel) const
{
    return YAtX(channel);
}

QString TPlotDataCursor::TextFor(const TPlotChannelCustom *channel) const
{
    if (!channel)
        return QStringLiteral("No Channel");
    const TPlotXAxis *xAxis = channel->XAxis();
    const TPlotYAxis *yAxis = channel->YAxis();
    switch (Style()) {
    case pcsValueXY:
        return XText(*channel) + QStringLiteral(", ") + YAtX(*channel);
    case pcsValueX:
        return XText(*channel);
    case pcsValueY:
        return YAtX(*channel);
    case pcsDeltaX:
        if (!xAxis)
            return QStringLiteral("No X-Axis");
        return CursorValueText(*xAxis, std::fabs(XAt(*channel, 2) - XAt(*channel, 1)));
    case pcsDeltaY:
        if (!yAxis)
            return QStringLiteral("No Y-Axis");
        return CursorValueText(
            *yAxis, std::fabs(yAxis->PixelToValue(PointerPixel(2)) - yAxis->PixelToValue(PointerPixel(1))));
    case pcsInverseDeltaX: {
        if (!xAxis)
            return QStringLiteral("No X-Axis");
        const double distance = std::fabs(XAt(*channel, 2) - XAt(*channel, 1));
        if (distance == 0 || xAxis->CursorScaler() == 0)
            return QStringLiteral("Infinite");
        return QString::number(1.0 / (xAxis->CursorScaler() * distance), 'g', 15);
    }
    }
    return QString();
}

void TPlotDataCursor::UpdateText()
{
    FText = IsAllChannels() ? QString() : TextFor(Channel());
}

bool TPlotDataCursor::HintVisible() const
{
    return Visible() && HintShow() && !IsAllChannels() && (!HintHideOnRelease() || FDragging != dragNone);
}

TPlotRect TPlotDataCursor::HintRect(const TPlotMeasure &measure) const
{
    const TPlotRect &dv = Owner().Layout().DataViewRect();
    const QFont &font = Font().Font;
    const int letter = measure.TextWidth(font, QStringLiteral("A"));
    const int width = measure.TextWidth(font, FText) + letter;
    const int height = measure.TextHeight(font, FText) + letter / 2;
    TPlotRect box;
    if (TwoPointers() && HorizontalPointers()) {
        const int middle = (PointerPixel(1) + PointerPixel(2)) / 2;
        const int centreX = dv.Left + Round(HintPosition() / 100.0 * dv.Width());
        box.Left = centreX - width / 2;
        box.Top = middle - height / 2;
    } else if (TwoPointers()) {
        const int middle = (PointerPixel(1) + PointerPixel(2)) / 2;
        box.Left = middle - width / 2;
        box.Top = dv.Bottom - Round(HintPosition() / 100.0 * dv.Height()) - height / 2;
    } else {
        const int pointer = PointerPixel(1);
        const int right = pointer + 5;
        const int left = pointer - 5 - width;
        // The preferred side, unless the box would leave the data view there.
        bool onRight = HintOrientationSide() == osBottomRight;
        if (onRight && right + width > dv.Right)
            onRight = false;
        if (!onRight && left < dv.Left)
            onRight = true;
        box.Left = onRight ? right : left;
        box.Top = dv.Bottom - Round(HintPosition() / 100.0 * dv.Height()) - height / 2;
    }
    box.Right = box.Left + width;
    box.Bottom = box.Top + height;
    FLastHintRect = box;
    FHintPlaced = true;
    return box;
}

int TPlotDataCursor::PointerAt(const QPoint &point) const
{
    const TPlotRect &dv = Owner().Layout().DataViewRect();
    if (point.x() < dv.Left - 5 || point.x() > dv.Right + 6 || point.y() < dv.Top - 5 || point.y() > dv.Bottom + 6)
        return dragNone;
    const int along = HorizontalPointers() ? point.y() : point.x();
    const int pointers = TwoPointers() ? 2 : 1;
    for (int pointer = pointers; pointer >= 1; --pointer) {
        const int pixel = PointerPixel(pointer);
        if (along >= pixel - 5 && along <= pixel + 6)
            return pointer == 1 ? dragPointer1 : dragPointer2;
    }
    return dragNone;
}

bool TPlotDataCursor::HitTest(const QPoint &point) const
{
    if (!Visible())
        return false;
    if (HintVisible() && FHintPlaced) {
        const TPlotRect &r = FLastHintRect;
        if (point.x() >= r.Left && point.x() < r.Right && point.y() >= r.Top && point.y() < r.Bottom)
            return true;
    }
    return PointerAt(point) != dragNone;
}

double TPlotDataCursor::PositionAt(const QPoint &point, bool horizontalPointer) const
{
    const TPlotRect &dv = Owner().Layout().DataViewRect();
    double position = 0;
    if (horizontalPointer)
        position = dv.Height() > 0 ? 100.0 * (dv.Bottom - point.y()) / dv.Height() : 0;
    else
        position = dv.Width() > 0 ? 100.0 * (point.x() - dv.Left) / dv.Width() : 0;
    return std::clamp(position, 0.0, 100.0);
}

void TPlotDataCursor::MouseDown(const QPoint &point)
{
    const TPlotRect &r = FLastHintRect;
    if (HintVisible() && FHintPlaced && point.x() >= r.Left && point.x() < r.Right && point.y() >= r.Top
        && point.y() < r.Bottom)
        FDragging = dragHint;
    else
        FDragging = PointerAt(point);
    NotifyChange();
}

void TPlotDataCursor::MouseMove(const QPoint &point)
{
    switch (FDragging) {
    case dragPointer1:
        SetPointer1Position(PositionAt(point, HorizontalPointers()));
        break;
    case dragPointer2:
        SetPointer2Position(PositionAt(point, HorizontalPointers()));
        break;
    case dragHint:
        // The hint moves along the pointer: across the pointers' direction it stays where it is.
        SetHintPosition(PositionAt(point, !HorizontalPointers()));
        break;
    default:
        return;
    }
    UpdateText();
}

void TPlotDataCursor::MouseUp(const QPoint &)
{
    if (FDragging == dragNone)
        return;
    FDragging = dragNone;
    NotifyChange();
}

void TPlotDataCursor::Draw(QPainter &painter, const TPlotDrawContext &context)
{
    UpdateText();
    const TPlotRect &dv = Owner().Layout().DataViewRect();
    const TPlotChannelCustom *channel = Channel();
    const QColor color = UseChannelColor() && channel ? channel->Color() : Color();
    const int pointers = TwoPointers() ? 2 : 1;
    for (int pointer = 1; pointer <= pointers; ++pointer) {
        const bool dragged = FDragging == (pointer == 1 ? dragPointer1 : dragPointer2);
        painter.setPen(MakePlotPen(color, dragged ? 0 : PointerPenWidth(), plsSolid));
        const int pixel = PointerPixel(pointer);
        if (HorizontalPointers())
            painter.drawLine(dv.Left, pixel, dv.Right, pixel);
        else
            painter.drawLine(pixel, dv.Top, pixel, dv.Bottom);
    }
    if (!HintVisible())
        return;
    const TPlotRect box = HintRect(context.Measure);
    const QRect rect(box.Left, box.Top, box.Right - box.Left, box.Bottom - box.Top);
    painter.fillRect(rect, Color());
    painter.setPen(QPen(Font().Color, 0));
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    painter.setFont(Font().Font);
    painter.drawText(rect, Qt::AlignCenter | Qt::TextDontClip, FText);
}
