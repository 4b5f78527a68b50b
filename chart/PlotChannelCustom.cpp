// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PlotChannelCustom.h"

#include "chart/PlotDataNullList.h"
#include "chart/PlotMasterManager.h"
#include "chart/PlotMinMaxPoint.h"
#include "chart/PlotPen.h"
#include "chart/PlotSegmentClip.h"
#include "chart/PlotXAxis.h"
#include "chart/PlotYAxis.h"

#include <QLine>
#include <QPainter>
#include <algorithm>
#include <cstddef>
#include <iterator>
#include <vector>

namespace
{

// Colours of channels added without a name, in order of their index; the first is red.
const QColor ChannelColors[] = { QColor(255, 0, 0), QColor(0, 255, 0), QColor(255, 255, 0), QColor(0, 0, 255),
    QColor(255, 0, 255), QColor(0, 255, 255), QColor(255, 255, 255), QColor(255, 128, 0) };

} // namespace

TPlotChannelCustom::TPlotChannelCustom(TPlotMasterManager *owner, const TPlotObjectHooks &hooks)
    : TPlotManagerObject(owner, hooks)
    , FData(std::make_unique<TPlotDataNullList>())
{
    ResetStatistics();
}

TPlotChannelCustom::~TPlotChannelCustom() = default;

void TPlotChannelCustom::ResetStatistics()
{
    FXMin = FYMin = 1e300;
    FXMax = FYMax = -1e300;
    FAddedCount = 0;
    FXSum = FYSum = 0;
    FFirstVisibleIndex = FLastVisibleIndex = -1;
}

void TPlotChannelCustom::Inserted(bool named)
{
    if (!named) {
        SetTitleText(Name());
        TPlotMasterManager &owner = Owner();
        if (owner.XAxes().Count() > 0)
            SetXAxisName(owner.XAxes().Object(0)->Name());
        if (owner.YAxes().Count() > 0)
            SetYAxisName(owner.YAxes().Object(0)->Name());
        int index = owner.Channels().IndexOf(this);
        SetColor(ChannelColors[index % std::size(ChannelColors)]);
    }
    TPlotManagerObject::Inserted(named);
}

TPlotXAxis *TPlotChannelCustom::XAxis() const
{
    if (!FXAxis)
        FXAxis = Owner().XAxes().FindItem(FXAxisName);
    return FXAxis;
}

TPlotYAxis *TPlotChannelCustom::YAxis() const
{
    if (!FYAxis)
        FYAxis = Owner().YAxes().FindItem(FYAxisName);
    return FYAxis;
}

void TPlotChannelCustom::SetXAxisName(const QString &name)
{
    if (name == FXAxisName)
        return;
    FXAxisName = name;
    FXAxis = nullptr;
    NotifyChange();
}

void TPlotChannelCustom::SetYAxisName(const QString &name)
{
    if (name == FYAxisName)
        return;
    FYAxisName = name;
    FYAxis = nullptr;
    NotifyChange();
}

void TPlotChannelCustom::AxisRemoved(TPlotAxis *axis)
{
    if (axis == static_cast<TPlotAxis *>(FXAxis))
        FXAxis = nullptr;
    if (axis == static_cast<TPlotAxis *>(FYAxis))
        FYAxis = nullptr;
}

void TPlotChannelCustom::AxisRenamed(TPlotAxis *axis, const QString &oldName)
{
    // The channel's axis name follows its axis: the linked one, or the one that bore the name before the link was made.
    auto follows = [&](TPlotAxis *linked, const QString &name) {
        return linked ? linked == axis : name.compare(oldName, Qt::CaseInsensitive) == 0;
    };
    if (auto *x = dynamic_cast<TPlotXAxis *>(axis); x && follows(FXAxis, FXAxisName)) {
        FXAxisName = x->Name();
        FXAxis = x;
    }
    if (auto *y = dynamic_cast<TPlotYAxis *>(axis); y && follows(FYAxis, FYAxisName)) {
        FYAxisName = y->Name();
        FYAxis = y;
    }
}

void TPlotChannelCustom::SetRingBufferSize(int size)
{
    if (size == FData->RingBufferSize())
        return;
    FData->SetRingBufferSize(size);
    NotifyChange();
}

int TPlotChannelCustom::AddPoint(double x, double y)
{
    uint16_t flags = 0;
    if (MarkersVisible())
        flags = PlotPointFlags::Marker
            | ((static_cast<uint16_t>(MarkersStyle()) << PlotPointFlags::MarkerStyleShift)
                & PlotPointFlags::MarkerStyleMask);
    int index = FData->Add(x, y, flags);

    if (y > FYMax)
        FYMax = y;
    if (y < FYMin)
        FYMin = y;
    if (x > FXMax)
        FXMax = x;
    if (x < FXMin)
        FXMin = x;
    ++FAddedCount;
    FYSum += y;
    FXSum += x;

    if (XAxisTrackingEnabled() || YAxisTrackingEnabled())
        Track(x, y);
    NotifyViewChange();
    return index;
}

void TPlotChannelCustom::Track(double x, double y)
{
    TPlotXAxis *xAxis = XAxisTrackingEnabled() ? XAxis() : nullptr;
    TPlotYAxis *yAxis = YAxisTrackingEnabled() ? YAxis() : nullptr;
    if (!MarkersVisible()) {
        if (xAxis)
            xAxis->TrackValue(x);
        if (yAxis)
            yAxis->TrackValue(y);
        return;
    }
    // Whole markers stay in view: track the marker's two edges, half of 2 x MarkersSize pixels each side.
    auto halfMarker = [this](const TPlotAxis &axis) {
        int length = axis.Scale().Length();
        return length > 0 ? MarkersSize() * axis.Span() / length : 0.0;
    };
    if (xAxis) {
        double half = halfMarker(*xAxis);
        xAxis->TrackValue(x + half);
        xAxis->TrackValue(x - half);
    }
    if (yAxis) {
        double half = halfMarker(*yAxis);
        yAxis->TrackValue(y + half);
        yAxis->TrackValue(y - half);
    }
}

void TPlotChannelCustom::Clear()
{
    FData->Clear();
    ResetStatistics();
    NotifyChange();
}

namespace
{

// The first index in [0, count) for which before(index) is false, given that it is true on a prefix. On data that
// breaks the order (a clock set back) it still returns an index in range.
template <class Predicate> int PartitionPoint(int count, Predicate before)
{
    int low = 0, high = count;
    while (low < high) {
        int middle = low + (high - low) / 2;
        if (before(middle))
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

} // namespace

int TPlotChannelCustom::FindFirstVisibleIndex(double min) const
{
    const int count = Count();
    int index;
    if (FXAscending) {
        index = PartitionPoint(count, [&](int i) { return X(i) < min; });
        if (index == count)
            index = count - 1;
        else if (X(index) > min)
            --index;
    } else {
        // Falling X: the window's right end comes first.
        double max = min + XAxis()->Span();
        index = PartitionPoint(count, [&](int i) { return X(i) > max; });
        if (index == count)
            index = count - 1;
        else if (X(index) < max)
            --index;
    }
    return std::clamp(index, 0, count - 1);
}

int TPlotChannelCustom::FindLastVisibleIndex(double max) const
{
    const int count = Count();
    int index;
    if (FXAscending) {
        index = PartitionPoint(count, [&](int i) { return X(i) <= max; }) - 1;
        if (index >= 0 && X(index) < max)
            ++index;
    } else {
        double min = max - XAxis()->Span();
        index = PartitionPoint(count, [&](int i) { return X(i) >= min; }) - 1;
        if (index >= 0 && X(index) > min)
            ++index;
    }
    return std::clamp(index, 0, count - 1);
}

void TPlotChannelCustom::DrawSetup(const TPlotDrawContext &)
{
    FDrawReady = false;
    TPlotXAxis *xAxis = XAxis();
    const int count = Count();
    if (!xAxis || !YAxis() || !Visible() || count == 0) {
        FFirstVisibleIndex = FLastVisibleIndex = -1;
        return;
    }
    if (XOrdered()) {
        FXAscending = count < 3 || X(1) >= X(0);
        FFirstVisibleIndex = FindFirstVisibleIndex(xAxis->Min());
        FLastVisibleIndex = FindLastVisibleIndex(xAxis->Min() + xAxis->Span());
    } else {
        FFirstVisibleIndex = 0;
        FLastVisibleIndex = count - 1;
    }
    FDrawReady = true;
}

void TPlotChannelCustom::Draw(QPainter &painter, const TPlotDrawContext &)
{
    if (!FDrawReady || !TraceVisible() || FFirstVisibleIndex == FLastVisibleIndex)
        return;
    // A failure inside the channel's drawing ends only this channel's drawing.
    try {
        TPlotScale xScale = XAxis()->Scale();
        TPlotScale yScale = YAxis()->Scale();
        DrawTrace(painter, xScale, yScale);
        DrawMarkers(painter, xScale, yScale);
    } catch (const std::exception &) {
    }
}

void TPlotChannelCustom::DrawTrace(QPainter &painter, const TPlotScale &xScale, const TPlotScale &yScale)
{
    painter.setPen(MakePlotPen(Color(), TraceLineWidth(), TraceLineStyle()));
    painter.setBrush(Qt::NoBrush);
    if (!XOrdered())
        DrawInAddingOrder(painter, xScale, yScale);
    else if (FastDrawEnabled())
        DrawFast(painter, xScale, yScale);
    else
        DrawPlain(painter, xScale, yScale);
}

namespace
{

// Segments of one trace handed to the painter a few thousand at a time: one call per segment costs more than drawing
// it. All of them share the trace's pen, so the order of drawing is the same as one call each.
class TSegmentBatch
{
public:
    explicit TSegmentBatch(QPainter &painter)
        : FPainter(painter)
    {
        FLines.reserve(Capacity);
    }
    ~TSegmentBatch() { Flush(); }

    void Add(const TPlotPixelSegment &segment)
    {
        FLines.emplace_back(segment.X1, segment.Y1, segment.X2, segment.Y2);
        if (FLines.size() == Capacity)
            Flush();
    }

private:
    static constexpr std::size_t Capacity = 4096;

    void Flush()
    {
        if (!FLines.empty())
            FPainter.drawLines(FLines.data(), static_cast<int>(FLines.size()));
        FLines.clear();
    }

    QPainter &FPainter;
    std::vector<QLine> FLines;
};

} // namespace

// At most one vertical segment per pixel column and one segment joining neighbouring columns, however many points
// fall in a column: the cost follows the points in the window, and the picture is that of every point joined.
void TPlotChannelCustom::DrawFast(QPainter &painter, const TPlotScale &xScale, const TPlotScale &yScale)
{
    TSegmentBatch lines(painter);
    auto segment = [&](double x1, double y1, double x2, double y2) {
        if (auto pixels = ClipPlotSegment(x1, y1, x2, y2, xScale, yScale))
            lines.Add(*pixels);
    };
    TPlotMinMaxPoint p, q, r;
    auto drawColumns = [&]() {
        if (!p.Empty && p.YMin != p.YMax)
            segment(p.X, p.YMin, p.X, p.YMax);
        if (!q.Empty && q.YMin != q.YMax)
            segment(q.X, q.YMin, q.X, q.YMax);
        if (!p.Empty && !q.Empty)
            segment(p.X, p.YLast, q.X, q.YFirst);
        if (!q.Empty && !r.Empty)
            segment(q.X, q.YLast, r.X, r.YFirst);
    };
    auto visit = [&](double x, double y, uint16_t flags) {
        if (flags & PlotPointFlags::Empty)
            return;
        if (flags & PlotPointFlags::Null) {
            drawColumns();
            p.Reset();
            q.Reset();
            r.Reset();
            return;
        }
        int column = xScale.ValueToPixel(x);
        if (p.Takes(column)) {
            p.Add(column, x, y);
        } else if (q.Takes(column)) {
            q.Add(column, x, y);
        } else {
            r.Add(column, x, y);
            drawColumns();
            p = r;
            q.Reset();
            r.Reset();
        }
    };
    // The standard store is read straight from its arrays: a window holds tens of thousands of points at serial rates.
    const TPlotDataCustomList &data = Data();
    const auto *store = dynamic_cast<const TPlotDataNullList *>(&data);
    // A block of points that falls within one pixel column adds to that column what its points would one by one: the
    // first point as usual, then the block's Y range and last Y. A flood puts millions of points in a few columns.
    auto whole = [&](const TPlotDataNullList::TBlockSummary &block, double xFirst, double yFirst, double yLast) {
        const int column = xScale.ValueToPixel(block.XMin);
        if (xScale.ValueToPixel(block.XMax) != column)
            return false;
        visit(xFirst, yFirst, 0);
        TPlotMinMaxPoint &taken = !p.Empty && p.Column == column ? p : q;
        if (block.YMax > taken.YMax)
            taken.YMax = block.YMax;
        if (block.YMin < taken.YMin)
            taken.YMin = block.YMin;
        taken.YLast = yLast;
        return true;
    };
    if (store && FFirstVisibleIndex >= 0 && FFirstVisibleIndex <= FLastVisibleIndex && FLastVisibleIndex < data.Count())
        store->ForEachBlock(FFirstVisibleIndex, FLastVisibleIndex, visit, whole);
    else
        for (int i = FFirstVisibleIndex; i <= FLastVisibleIndex; ++i)
            visit(data.X(i), data.Y(i), data.Flags(i));
    drawColumns();
}

void TPlotChannelCustom::DrawPlain(QPainter &painter, const TPlotScale &xScale, const TPlotScale &yScale)
{
    TSegmentBatch lines(painter);
    const TPlotDataCustomList &data = Data();
    bool havePrevious = false;
    double px = 0, py = 0;
    for (int i = FFirstVisibleIndex; i <= FLastVisibleIndex; ++i) {
        uint16_t flags = data.Flags(i);
        if (flags & PlotPointFlags::Empty)
            continue;
        if (flags & PlotPointFlags::Null) {
            havePrevious = false;
            continue;
        }
        double x = data.X(i), y = data.Y(i);
        if (havePrevious) {
            if (auto pixels = ClipPlotSegment(px, py, x, y, xScale, yScale))
                lines.Add(*pixels);
        }
        px = x;
        py = y;
        havePrevious = true;
    }
}

// A point that lands on the pixel of the point last drawn to adds nothing to the picture, so it is passed over: a
// million points along a curve cost about as many segments as the curve has pixels.
void TPlotChannelCustom::DrawInAddingOrder(QPainter &painter, const TPlotScale &xScale, const TPlotScale &yScale)
{
    TSegmentBatch lines(painter);
    bool havePrevious = false;
    double px = 0, py = 0;
    int pixelX = 0, pixelY = 0;
    auto visit = [&](double x, double y, uint16_t flags) {
        if (flags & PlotPointFlags::Empty)
            return;
        if (flags & PlotPointFlags::Null) {
            havePrevious = false;
            return;
        }
        const int column = xScale.ValueToPixel(x), row = yScale.ValueToPixel(y);
        if (havePrevious && column == pixelX && row == pixelY)
            return;
        if (havePrevious) {
            if (auto pixels = ClipPlotSegment(px, py, x, y, xScale, yScale))
                lines.Add(*pixels);
        }
        px = x;
        py = y;
        pixelX = column;
        pixelY = row;
        havePrevious = true;
    };
    const TPlotDataCustomList &data = Data();
    if (const auto *store = dynamic_cast<const TPlotDataNullList *>(&data))
        store->ForEach(FFirstVisibleIndex, FLastVisibleIndex, visit);
    else
        for (int i = FFirstVisibleIndex; i <= FLastVisibleIndex; ++i)
            visit(data.X(i), data.Y(i), data.Flags(i));
}

bool TPlotChannelCustom::FitXRange(double &min, double &max) const
{
    const TPlotDataCustomList &data = Data();
    auto usable = [&](int i) { return (data.Flags(i) & (PlotPointFlags::Null | PlotPointFlags::Empty)) == 0; };
    int first = 0, last = data.Count() - 1;
    while (first <= last && !usable(first))
        ++first;
    while (last >= first && !usable(last))
        --last;
    if (first > last)
        return false;
    min = data.X(first);
    max = data.X(last);
    return true;
}

bool TPlotChannelCustom::VisibleYRange(double &min, double &max) const
{
    if (FFirstVisibleIndex < 0 || FLastVisibleIndex >= Count())
        return false;
    bool found = false;
    for (int i = FFirstVisibleIndex; i <= FLastVisibleIndex; ++i) {
        if (Data().Flags(i) & (PlotPointFlags::Null | PlotPointFlags::Empty))
            continue;
        double y = Y(i);
        if (!found || y < min)
            min = y;
        if (!found || y > max)
            max = y;
        found = true;
    }
    return found;
}
