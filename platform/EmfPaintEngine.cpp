// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/EmfPaintEngine.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>
#include <limits>

namespace
{

// Pen styles and flags.
constexpr uint32_t PsSolid = 0, PsDash = 1, PsDot = 2, PsDashDot = 3, PsDashDotDot = 4;
constexpr uint32_t PsGeometric = 0x00010000;
constexpr uint32_t PsEndcapRound = 0x0000, PsEndcapSquare = 0x0100, PsEndcapFlat = 0x0200;
constexpr uint32_t PsJoinRound = 0x0000, PsJoinBevel = 0x1000, PsJoinMiter = 0x2000;
// Brush styles and hatches.
constexpr uint32_t BsSolid = 0, BsHatched = 2;
constexpr uint32_t HsHorizontal = 0, HsVertical = 1, HsFDiagonal = 2, HsBDiagonal = 3, HsCross = 4, HsDiagCross = 5;
// Stock objects.
constexpr uint32_t StockWhiteBrush = 0x80000000, StockNullBrush = 0x80000005;
constexpr uint32_t StockBlackPen = 0x80000007, StockNullPen = 0x80000008, StockDeviceFont = 0x8000000E;
// Our object slots: each kind alternates between two, so that the new object is selected before the old one is
// deleted.
constexpr uint32_t PenSlots[2] = { 1, 2 }, BrushSlots[2] = { 3, 4 }, FontSlots[2] = { 5, 6 };
constexpr uint16_t HandleCount = 7;

constexpr uint32_t TransparentBkMode = 1;
constexpr uint32_t TextAlignBaselineLeft = 24;
constexpr uint32_t AlternateFill = 1, WindingFill = 2;
constexpr uint32_t RgnCopy = 5;
constexpr uint32_t SrcCopy = 0x00CC0020;

uint32_t ColorRef(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return static_cast<uint32_t>(rgb.red()) | static_cast<uint32_t>(rgb.green()) << 8
        | static_cast<uint32_t>(rgb.blue()) << 16;
}

uint32_t OtherSlot(uint32_t current, const uint32_t (&pair)[2])
{
    return current == pair[0] ? pair[1] : pair[0];
}

bool Fits16(const QPolygon &points)
{
    for (const QPoint &p : points)
        if (p.x() < std::numeric_limits<int16_t>::min() || p.x() > std::numeric_limits<int16_t>::max()
            || p.y() < std::numeric_limits<int16_t>::min() || p.y() > std::numeric_limits<int16_t>::max())
            return false;
    return true;
}

void WriteBounds(TEmfRecordWriter &w, const QRect &r)
{
    w.Edges(r.left(), r.top(), r.right(), r.bottom());
}

} // namespace

TEmfPaintEngine::TEmfPaintEngine(const QString &description)
    : QPaintEngine(PaintEngineFeatures(AllFeatures) & ~PaintEngineFeatures(PerspectiveTransform))
    , FDescription(description)
{
}

TEmfPaintEngine::~TEmfPaintEngine() = default;

bool TEmfPaintEngine::begin(QPaintDevice *device)
{
    FWriter = std::make_unique<TEmfRecordWriter>(QSize(device->width(), device->height()), FDescription);
    FTransform = QTransform();
    FPen = QPen();
    FBrush = QBrush();
    FFont = QFont();
    FClip.reset();
    FClipEnabled = false;
    FClipInFile.reset();
    FSelectedPen.reset();
    FPenKnown = false;
    FPenHandle = 0;
    FSelectedBrush.reset();
    FBrushKnown = false;
    FBrushHandle = 0;
    FSelectedFont.reset();
    FFontHandle = 0;
    FPolyFillMode.reset();
    FTextColor.reset();

    // Text is positioned by its baseline and drawn without a background box, as QPainter does.
    FWriter->BeginRecord(EmfRecord::SetBkMode);
    FWriter->U32(TransparentBkMode);
    FWriter->EndRecord();
    FWriter->BeginRecord(EmfRecord::SetTextAlign);
    FWriter->U32(TextAlignBaselineLeft);
    FWriter->EndRecord();
    setActive(true);
    return true;
}

bool TEmfPaintEngine::end()
{
    if (!FWriter)
        return false;
    // Leave the stock objects selected and free ours, so that a player ends with nothing held.
    SelectStockObject(StockBlackPen);
    SelectStockObject(StockWhiteBrush);
    SelectStockObject(StockDeviceFont);
    DeleteHandle(FPenHandle);
    DeleteHandle(FBrushHandle);
    DeleteHandle(FFontHandle);
    FWriter->SetHandleCount(HandleCount);
    FData = FWriter->Finish();
    FWriter.reset();
    setActive(false);
    return true;
}

void TEmfPaintEngine::updateState(const QPaintEngineState &state)
{
    const DirtyFlags flags = state.state();
    if (flags & DirtyTransform)
        FTransform = state.transform();
    if (flags & DirtyPen)
        FPen = state.pen();
    if (flags & DirtyBrush)
        FBrush = state.brush();
    if (flags & DirtyFont)
        FFont = state.font();
    if (flags & (DirtyClipRegion | DirtyClipPath)) {
        // The clip arrives in the coordinates of the transform in force when it was set.
        QRegion area;
        if (flags & DirtyClipRegion) {
            area = FTransform.map(state.clipRegion());
        } else {
            const QPainterPath path = state.clipPath();
            area = QRegion(path.toFillPolygon(FTransform).toPolygon(), path.fillRule());
        }
        switch (state.clipOperation()) {
        case Qt::NoClip:
            FClip.reset();
            break;
        case Qt::ReplaceClip:
            FClip = area;
            break;
        case Qt::IntersectClip:
            FClip = FClip ? FClip->intersected(area) : area;
            break;
        }
    }
    if (flags & DirtyClipEnabled)
        FClipEnabled = state.isClipEnabled();
}

std::optional<TEmfPaintEngine::TGdiPen> TEmfPaintEngine::CurrentPen() const
{
    if (FPen.style() == Qt::NoPen || FPen.brush().style() == Qt::NoBrush || FPen.color().alpha() == 0)
        return std::nullopt;
    TGdiPen pen;
    pen.Color = ColorRef(FPen.color());
    switch (FPen.style()) {
    case Qt::DashLine:
        pen.Style = PsDash;
        break;
    case Qt::DotLine:
        pen.Style = PsDot;
        break;
    case Qt::DashDotLine:
        pen.Style = PsDashDot;
        break;
    case Qt::DashDotDotLine:
        pen.Style = PsDashDotDot;
        break;
    default:
        pen.Style = PsSolid;
        break;
    }
    const double scale = FPen.isCosmetic() ? 1.0 : std::sqrt(std::abs(FTransform.determinant()));
    pen.Width = static_cast<int>(std::lround(FPen.widthF() * scale));
    if (pen.Width > 1) {
        // A wide pen keeps its caps and joins.
        pen.Style |= PsGeometric;
        switch (FPen.capStyle()) {
        case Qt::FlatCap:
            pen.Style |= PsEndcapFlat;
            break;
        case Qt::RoundCap:
            pen.Style |= PsEndcapRound;
            break;
        default:
            pen.Style |= PsEndcapSquare;
            break;
        }
        switch (FPen.joinStyle()) {
        case Qt::RoundJoin:
            pen.Style |= PsJoinRound;
            break;
        case Qt::BevelJoin:
            pen.Style |= PsJoinBevel;
            break;
        default:
            pen.Style |= PsJoinMiter;
            break;
        }
    }
    return pen;
}

std::optional<TEmfPaintEngine::TGdiBrush> TEmfPaintEngine::CurrentBrush() const
{
    const Qt::BrushStyle style = FBrush.style();
    if (style == Qt::NoBrush)
        return std::nullopt;
    QColor color = FBrush.color();
    if (const QGradient *gradient = FBrush.gradient(); gradient && !gradient->stops().isEmpty())
        color = gradient->stops().first().second; // gradients are drawn in their first colour
    if (color.alpha() == 0)
        return std::nullopt;
    TGdiBrush brush { BsSolid, ColorRef(color), 0 };
    const auto hatch = [&brush](uint32_t kind) {
        brush.Style = BsHatched;
        brush.Hatch = kind;
    };
    switch (style) {
    case Qt::HorPattern:
        hatch(HsHorizontal);
        break;
    case Qt::VerPattern:
        hatch(HsVertical);
        break;
    case Qt::CrossPattern:
        hatch(HsCross);
        break;
    case Qt::FDiagPattern:
        hatch(HsFDiagonal);
        break;
    case Qt::BDiagPattern:
        hatch(HsBDiagonal);
        break;
    case Qt::DiagCrossPattern:
        hatch(HsDiagCross);
        break;
    default:
        break; // dense patterns and textures are drawn solid
    }
    return brush;
}

int TEmfPaintEngine::PenReach() const
{
    const std::optional<TGdiPen> pen = CurrentPen();
    return pen ? std::max(1, (pen->Width + 1) / 2) : 0;
}

void TEmfPaintEngine::SelectStockObject(uint32_t stock)
{
    FWriter->BeginRecord(EmfRecord::SelectObject);
    FWriter->U32(stock);
    FWriter->EndRecord();
}

void TEmfPaintEngine::DeleteHandle(uint32_t handle)
{
    if (handle == 0)
        return;
    FWriter->BeginRecord(EmfRecord::DeleteObject);
    FWriter->U32(handle);
    FWriter->EndRecord();
}

void TEmfPaintEngine::SelectPen(const std::optional<TGdiPen> &pen)
{
    if (FPenKnown && FSelectedPen == pen)
        return;
    if (!pen) {
        SelectStockObject(StockNullPen);
        DeleteHandle(FPenHandle);
        FPenHandle = 0;
    } else {
        const uint32_t slot = OtherSlot(FPenHandle, PenSlots);
        if (pen->Width > 1) {
            FWriter->BeginRecord(EmfRecord::ExtCreatePen);
            FWriter->U32(slot);
            FWriter->U32(0); // no bitmap: offBmi, cbBmi, offBits, cbBits
            FWriter->U32(0);
            FWriter->U32(0);
            FWriter->U32(0);
            FWriter->U32(pen->Style);
            FWriter->U32(static_cast<uint32_t>(pen->Width));
            FWriter->U32(BsSolid);
            FWriter->U32(pen->Color);
            FWriter->U32(0); // hatch
            FWriter->U32(0); // no custom dashes
            FWriter->EndRecord();
        } else {
            FWriter->BeginRecord(EmfRecord::CreatePen);
            FWriter->U32(slot);
            FWriter->U32(pen->Style);
            FWriter->I32(pen->Width);
            FWriter->I32(0);
            FWriter->U32(pen->Color);
            FWriter->EndRecord();
        }
        SelectStockObject(slot);
        DeleteHandle(FPenHandle);
        FPenHandle = slot;
    }
    FSelectedPen = pen;
    FPenKnown = true;
}

void TEmfPaintEngine::SelectBrush(const std::optional<TGdiBrush> &brush)
{
    if (FBrushKnown && FSelectedBrush == brush)
        return;
    if (!brush) {
        SelectStockObject(StockNullBrush);
        DeleteHandle(FBrushHandle);
        FBrushHandle = 0;
    } else {
        const uint32_t slot = OtherSlot(FBrushHandle, BrushSlots);
        FWriter->BeginRecord(EmfRecord::CreateBrushIndirect);
        FWriter->U32(slot);
        FWriter->U32(brush->Style);
        FWriter->U32(brush->Color);
        FWriter->U32(brush->Hatch);
        FWriter->EndRecord();
        SelectStockObject(slot);
        DeleteHandle(FBrushHandle);
        FBrushHandle = slot;
    }
    FSelectedBrush = brush;
    FBrushKnown = true;
}

void TEmfPaintEngine::SelectFont(const TGdiFont &font)
{
    if (FSelectedFont == font)
        return;
    const uint32_t slot = OtherSlot(FFontHandle, FontSlots);
    FWriter->BeginRecord(EmfRecord::ExtCreateFontIndirectW);
    FWriter->U32(slot);
    FWriter->I32(font.Height);
    FWriter->I32(0); // width: from the height
    FWriter->I32(font.Escapement);
    FWriter->I32(font.Escapement);
    FWriter->I32(font.Weight);
    FWriter->U8(font.Italic ? 1 : 0);
    FWriter->U8(font.Underline ? 1 : 0);
    FWriter->U8(font.StrikeOut ? 1 : 0);
    FWriter->U8(1); // default character set
    FWriter->U8(0); // output precision
    FWriter->U8(0); // clip precision
    FWriter->U8(0); // quality
    FWriter->U8(0); // pitch and family
    const QString face = font.Face.left(31);
    for (int i = 0; i < 32; ++i)
        FWriter->U16(i < face.size() ? face.at(i).unicode() : 0);
    FWriter->EndRecord();
    SelectStockObject(slot);
    DeleteHandle(FFontHandle);
    FFontHandle = slot;
    FSelectedFont = font;
}

void TEmfPaintEngine::UseClip()
{
    std::optional<QRegion> wanted;
    if (FClipEnabled && FClip)
        wanted = *FClip;
    if (wanted == FClipInFile)
        return;
    if (!wanted || wanted->rectCount() <= 1) {
        FWriter->BeginRecord(EmfRecord::ExtSelectClipRgn);
        FWriter->U32(0);
        FWriter->U32(RgnCopy); // no region data: back to the unclipped device
        FWriter->EndRecord();
        if (wanted) {
            // A clip rectangle excludes its right and bottom edges; an empty one lets nothing through.
            const QRect r = wanted->boundingRect();
            FWriter->BeginRecord(EmfRecord::IntersectClipRect);
            if (r.isEmpty())
                FWriter->Edges(0, 0, 0, 0);
            else
                FWriter->Edges(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
            FWriter->EndRecord();
        }
    } else {
        const int count = wanted->rectCount();
        const QRect b = wanted->boundingRect();
        FWriter->BeginRecord(EmfRecord::ExtSelectClipRgn);
        FWriter->U32(static_cast<uint32_t>(32 + 16 * count));
        FWriter->U32(RgnCopy);
        FWriter->U32(32); // region data header: its size, rectangles, count, their size, bounds
        FWriter->U32(1);
        FWriter->U32(static_cast<uint32_t>(count));
        FWriter->U32(static_cast<uint32_t>(16 * count));
        FWriter->Edges(b.left(), b.top(), b.right() + 1, b.bottom() + 1);
        for (const QRect &r : *wanted)
            FWriter->Edges(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
        FWriter->EndRecord();
    }
    FClipInFile = wanted;
}

QRect TEmfPaintEngine::ClipLimited(const QRect &area) const
{
    if (FClipEnabled && FClip)
        return area.intersected(FClip->boundingRect());
    return area;
}

void TEmfPaintEngine::UsePolyFillMode(uint32_t mode)
{
    if (FPolyFillMode == mode)
        return;
    FWriter->BeginRecord(EmfRecord::SetPolyFillMode);
    FWriter->U32(mode);
    FWriter->EndRecord();
    FPolyFillMode = mode;
}

void TEmfPaintEngine::UseTextColor(uint32_t color)
{
    if (FTextColor == color)
        return;
    FWriter->BeginRecord(EmfRecord::SetTextColor);
    FWriter->U32(color);
    FWriter->EndRecord();
    FTextColor = color;
}

bool TEmfPaintEngine::PrepareDrawing(bool stroke, bool fill)
{
    const std::optional<TGdiPen> pen = stroke ? CurrentPen() : std::nullopt;
    const std::optional<TGdiBrush> brush = fill ? CurrentBrush() : std::nullopt;
    if (!pen && !brush)
        return false;
    UseClip();
    SelectPen(pen);
    SelectBrush(brush);
    return true;
}

void TEmfPaintEngine::drawRects(const QRect *rects, int rectCount)
{
    for (int i = 0; i < rectCount; ++i) {
        const QRectF r(rects[i]);
        drawRects(&r, 1);
    }
}

void TEmfPaintEngine::drawRects(const QRectF *rects, int rectCount)
{
    if (FTransform.type() > QTransform::TxScale) {
        for (int i = 0; i < rectCount; ++i) {
            const QRectF &r = rects[i];
            const QPointF corners[4] = { r.topLeft(), r.topRight(), r.bottomRight(), r.bottomLeft() };
            drawPolygon(corners, 4, ConvexMode);
        }
        return;
    }
    const bool stroke = CurrentPen().has_value();
    if (!PrepareDrawing(true, true))
        return;
    const int reach = PenReach();
    for (int i = 0; i < rectCount; ++i) {
        const QRectF m = FTransform.mapRect(rects[i]).normalized();
        const int left = qRound(m.left()), top = qRound(m.top());
        const int right = qRound(m.right()), bottom = qRound(m.bottom());
        // A stroked rectangle covers both edge columns (right - left + 1 pixels), a filled one ends before its right
        // and bottom edges. The rectangle record leaves out its right and bottom edge, and without a pen one pixel
        // more, so its box is widened by one either way.
        FWriter->BeginRecord(EmfRecord::Rectangle);
        FWriter->Edges(left, top, right + 1, bottom + 1);
        FWriter->EndRecord();
        const QRect drawn = stroke
            ? QRect(QPoint(left, top), QPoint(right, bottom)).adjusted(1 - reach, 1 - reach, reach - 1, reach - 1)
            : QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
        FWriter->AddBounds(ClipLimited(drawn));
    }
}

void TEmfPaintEngine::drawPolygon(const QPoint *points, int pointCount, PolygonDrawMode mode)
{
    QList<QPointF> pts;
    pts.reserve(pointCount);
    for (int i = 0; i < pointCount; ++i)
        pts.append(QPointF(points[i]));
    drawPolygon(pts.constData(), pointCount, mode);
}

void TEmfPaintEngine::drawPolygon(const QPointF *points, int pointCount, PolygonDrawMode mode)
{
    if (pointCount < 2)
        return;
    QPolygon mapped;
    mapped.reserve(pointCount);
    for (int i = 0; i < pointCount; ++i)
        mapped.append(FTransform.map(points[i]).toPoint());
    if (mode == PolylineMode) {
        if (!PrepareDrawing(true, false))
            return;
        WritePoly(EmfRecord::Polyline16, EmfRecord::Polyline, mapped, PenReach());
        return;
    }
    if (!PrepareDrawing(true, true))
        return;
    UsePolyFillMode(mode == WindingMode ? WindingFill : AlternateFill);
    WritePoly(EmfRecord::Polygon16, EmfRecord::Polygon, mapped, PenReach());
}

void TEmfPaintEngine::WritePoly(uint32_t type16, uint32_t type32, const QPolygon &points, int reach)
{
    const QRect bounds = points.boundingRect().adjusted(-reach, -reach, reach, reach);
    const bool small = Fits16(points);
    FWriter->BeginRecord(small ? type16 : type32);
    WriteBounds(*FWriter, bounds);
    FWriter->U32(static_cast<uint32_t>(points.size()));
    for (const QPoint &p : points) {
        if (small) {
            FWriter->U16(static_cast<uint16_t>(p.x()));
            FWriter->U16(static_cast<uint16_t>(p.y()));
        } else {
            FWriter->I32(p.x());
            FWriter->I32(p.y());
        }
    }
    FWriter->EndRecord();
    FWriter->AddBounds(ClipLimited(bounds));
}

void TEmfPaintEngine::WritePolyPolygon(const QList<QPolygon> &polygons)
{
    QRect bounds;
    qsizetype total = 0;
    bool small = true;
    for (const QPolygon &p : polygons) {
        bounds = bounds.united(p.boundingRect());
        total += p.size();
        small = small && Fits16(p);
    }
    FWriter->BeginRecord(small ? EmfRecord::PolyPolygon16 : EmfRecord::PolyPolygon);
    WriteBounds(*FWriter, bounds);
    FWriter->U32(static_cast<uint32_t>(polygons.size()));
    FWriter->U32(static_cast<uint32_t>(total));
    for (const QPolygon &p : polygons)
        FWriter->U32(static_cast<uint32_t>(p.size()));
    for (const QPolygon &polygon : polygons) {
        for (const QPoint &p : polygon) {
            if (small) {
                FWriter->U16(static_cast<uint16_t>(p.x()));
                FWriter->U16(static_cast<uint16_t>(p.y()));
            } else {
                FWriter->I32(p.x());
                FWriter->I32(p.y());
            }
        }
    }
    FWriter->EndRecord();
    FWriter->AddBounds(ClipLimited(bounds));
}

void TEmfPaintEngine::drawPath(const QPainterPath &path)
{
    QList<QPolygon> polygons;
    for (const QPolygonF &sub : path.toSubpathPolygons(FTransform)) {
        const QPolygon p = sub.toPolygon();
        if (p.size() >= 2)
            polygons.append(p);
    }
    if (polygons.isEmpty())
        return;
    if (CurrentBrush() && PrepareDrawing(false, true)) {
        UsePolyFillMode(path.fillRule() == Qt::WindingFill ? WindingFill : AlternateFill);
        WritePolyPolygon(polygons);
    }
    if (CurrentPen() && PrepareDrawing(true, false)) {
        const int reach = PenReach();
        for (QPolygon p : polygons) {
            if (p.size() > 2 && p.first() == p.last()) {
                p.removeLast();
                WritePoly(EmfRecord::Polygon16, EmfRecord::Polygon, p, reach);
            } else {
                WritePoly(EmfRecord::Polyline16, EmfRecord::Polyline, p, reach);
            }
        }
    }
}

void TEmfPaintEngine::drawPixmap(const QRectF &r, const QPixmap &pm, const QRectF &sr)
{
    drawImage(r, pm.toImage(), sr);
}

void TEmfPaintEngine::drawImage(const QRectF &r, const QImage &image, const QRectF &sr, Qt::ImageConversionFlags)
{
    const QRect source = sr.toAlignedRect().intersected(image.rect());
    if (source.isEmpty() || r.isEmpty())
        return;
    UseClip();
    // The bitmap record has no alpha: transparent parts are shown on white.
    QImage rgb(source.size(), QImage::Format_RGB888);
    rgb.fill(Qt::white);
    {
        QPainter p(&rgb);
        p.drawImage(QPoint(0, 0), image, source);
    }
    const int width = rgb.width(), height = rgb.height();
    const int stride = (width * 3 + 3) / 4 * 4;
    const QRect dest = FTransform.mapRect(r).toAlignedRect();

    FWriter->BeginRecord(EmfRecord::StretchDIBits);
    WriteBounds(*FWriter, dest);
    FWriter->I32(dest.x());
    FWriter->I32(dest.y());
    FWriter->I32(0);
    FWriter->I32(0);
    FWriter->I32(width);
    FWriter->I32(height);
    FWriter->U32(80); // bitmap header follows the fixed part
    FWriter->U32(40);
    FWriter->U32(120); // pixels follow the bitmap header
    FWriter->U32(static_cast<uint32_t>(stride * height));
    FWriter->U32(0); // colours are RGB values
    FWriter->U32(SrcCopy);
    FWriter->I32(dest.width());
    FWriter->I32(dest.height());
    FWriter->U32(40); // bitmap header: bottom-up rows of blue, green, red
    FWriter->I32(width);
    FWriter->I32(height);
    FWriter->U16(1);
    FWriter->U16(24);
    FWriter->U32(0);
    FWriter->U32(static_cast<uint32_t>(stride * height));
    FWriter->I32(3780); // 96 dpi in pixels per metre
    FWriter->I32(3780);
    FWriter->U32(0);
    FWriter->U32(0);
    QByteArray row(stride, '\0');
    for (int y = height - 1; y >= 0; --y) {
        const uchar *src = rgb.constScanLine(y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = static_cast<char>(src[3 * x + 2]);
            row[3 * x + 1] = static_cast<char>(src[3 * x + 1]);
            row[3 * x + 2] = static_cast<char>(src[3 * x]);
        }
        FWriter->Bytes(row.constData(), stride);
    }
    FWriter->EndRecord();
    FWriter->AddBounds(ClipLimited(dest));
}

void TEmfPaintEngine::drawTextItem(const QPointF &p, const QTextItem &textItem)
{
    const QString text = textItem.text();
    if (text.isEmpty() || FPen.style() == Qt::NoPen || FPen.color().alpha() == 0)
        return;
    UseClip();

    const QFont font = textItem.font();
    const double scale = std::sqrt(std::abs(FTransform.determinant()));
    const double pixelSize = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * 96.0 / 72.0;
    // Escapement counts tenths of a degree anticlockwise; the y axis points down.
    const double degrees = std::atan2(-FTransform.m12(), FTransform.m11()) * 180.0 / M_PI;
    TGdiFont gdiFont;
    gdiFont.Height = -static_cast<int>(std::lround(pixelSize * scale));
    gdiFont.Escapement = static_cast<int>(std::lround(degrees * 10.0));
    gdiFont.Weight = font.weight();
    gdiFont.Italic = font.italic();
    gdiFont.Underline = font.underline() || (textItem.renderFlags() & QTextItem::Underline);
    gdiFont.StrikeOut = font.strikeOut() || (textItem.renderFlags() & QTextItem::StrikeOut);
    gdiFont.Face = font.family();
    SelectFont(gdiFont);
    UseTextColor(ColorRef(FPen.color()));

    // Advances of each UTF-16 unit (a surrogate pair's advance on its first unit), scaled so that they add up to the
    // laid-out width and rounded without drift.
    const QFontMetricsF metrics(font, paintDevice());
    QList<double> advances(text.size(), 0.0);
    double total = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        advances[i] = metrics.horizontalAdvance(text.mid(i, pair ? 2 : 1));
        total += advances[i];
        if (pair)
            ++i;
    }
    const double factor = total > 0 ? textItem.width() / total * scale : scale;

    const QPoint reference = FTransform.map(p).toPoint();
    const QRect bounds = FTransform
                             .mapRect(QRectF(p.x(), p.y() - textItem.ascent(), textItem.width(),
                                 textItem.ascent() + textItem.descent()))
                             .toAlignedRect();

    FWriter->BeginRecord(EmfRecord::ExtTextOutW);
    WriteBounds(*FWriter, bounds);
    FWriter->U32(1); // compatible graphics mode
    FWriter->F32(static_cast<float>(2540.0 / 96.0)); // 0.01 mm per pixel
    FWriter->F32(static_cast<float>(2540.0 / 96.0));
    FWriter->I32(reference.x());
    FWriter->I32(reference.y());
    FWriter->U32(static_cast<uint32_t>(text.size()));
    FWriter->U32(76); // the text follows the fixed part
    FWriter->U32(0); // no opaque box, no clipping to a box
    FWriter->Edges(0, 0, -1, -1);
    const qsizetype offDxField = FWriter->RecordOffset();
    FWriter->U32(0); // offset of the advances: known after the text
    for (QChar c : text)
        FWriter->U16(c.unicode());
    FWriter->Align4();
    FWriter->PatchRecordU32(offDxField, FWriter->RecordOffset());
    double sum = 0;
    int placed = 0;
    for (double advance : advances) {
        sum += advance * factor;
        const int next = static_cast<int>(std::lround(sum));
        FWriter->I32(next - placed);
        placed = next;
    }
    FWriter->EndRecord();
    FWriter->AddBounds(ClipLimited(bounds));
}
