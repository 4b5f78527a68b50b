// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/EmfRecordWriter.h"

#include <QBrush>
#include <QFont>
#include <QPaintEngine>
#include <QPen>
#include <QRegion>
#include <QTransform>
#include <memory>
#include <optional>

// Turns QPainter drawing into enhanced-metafile records: pens, brushes and fonts become graphics objects (created
// only when a drawing needs a different one), rectangles, polylines, polygons and paths become their records, text
// becomes UTF-16 text records with the character advances, images become device-independent bitmaps, and clipping
// becomes clip-region records. Coordinates are mapped through the painter's transform here, so the file is in device
// pixels. Alpha is not kept: a fully transparent pen or brush draws nothing, any other is drawn opaque.
class TEmfPaintEngine : public QPaintEngine
{
public:
    // `description` names the creator and the picture, separated by a null character.
    explicit TEmfPaintEngine(const QString &description);
    ~TEmfPaintEngine() override;

    bool begin(QPaintDevice *device) override;
    bool end() override;
    void updateState(const QPaintEngineState &state) override;

    void drawRects(const QRect *rects, int rectCount) override;
    void drawRects(const QRectF *rects, int rectCount) override;
    void drawPolygon(const QPoint *points, int pointCount, PolygonDrawMode mode) override;
    void drawPolygon(const QPointF *points, int pointCount, PolygonDrawMode mode) override;
    void drawPath(const QPainterPath &path) override;
    void drawPixmap(const QRectF &r, const QPixmap &pm, const QRectF &sr) override;
    void drawImage(const QRectF &r, const QImage &image, const QRectF &sr,
        Qt::ImageConversionFlags flags = Qt::AutoColor) override;
    void drawTextItem(const QPointF &p, const QTextItem &textItem) override;
    Type type() const override { return User; }

    // The metafile of the last finished painting; empty before the first one ends.
    QByteArray Data() const { return FData; }

    // What a graphics object looks like in the file; a drawing selects one only when it differs from the current.
    struct TGdiPen {
        uint32_t Style = 0;
        int Width = 0;
        uint32_t Color = 0;
        bool operator==(const TGdiPen &) const = default;
    };
    struct TGdiBrush {
        uint32_t Style = 0;
        uint32_t Color = 0;
        uint32_t Hatch = 0;
        bool operator==(const TGdiBrush &) const = default;
    };
    struct TGdiFont {
        int Height = 0;
        int Escapement = 0;
        int Weight = 400;
        bool Italic = false;
        bool Underline = false;
        bool StrikeOut = false;
        QString Face;
        bool operator==(const TGdiFont &) const = default;
    };

private:
    enum class TFillUse { Stroke, Fill, StrokeAndFill };

    void SelectPen(const std::optional<TGdiPen> &pen);
    void SelectBrush(const std::optional<TGdiBrush> &brush);
    void SelectFont(const TGdiFont &font);
    void SelectStockObject(uint32_t stock);
    void DeleteHandle(uint32_t handle);
    void UseClip();
    void UsePolyFillMode(uint32_t mode);
    void UseTextColor(uint32_t color);
    // Selects the pen and brush a drawing needs; false when it would draw nothing.
    bool PrepareDrawing(bool stroke, bool fill);
    std::optional<TGdiPen> CurrentPen() const;
    std::optional<TGdiBrush> CurrentBrush() const;
    // Half the pen's width in device pixels, rounded up: how far a stroke reaches beyond its line.
    int PenReach() const;
    QRect ClipLimited(const QRect &area) const;

    void WritePoly(uint32_t type16, uint32_t type32, const QPolygon &points, int reach);
    void WritePolyPolygon(const QList<QPolygon> &polygons);

    QString FDescription;
    std::unique_ptr<TEmfRecordWriter> FWriter;
    QByteArray FData;

    QTransform FTransform;
    QPen FPen;
    QBrush FBrush;
    QFont FFont;
    std::optional<QRegion> FClip; // device pixels; none means not clipped
    bool FClipEnabled = false;
    std::optional<QRegion> FClipInFile;

    std::optional<TGdiPen> FSelectedPen;
    bool FPenKnown = false;
    uint32_t FPenHandle = 0;
    std::optional<TGdiBrush> FSelectedBrush;
    bool FBrushKnown = false;
    uint32_t FBrushHandle = 0;
    std::optional<TGdiFont> FSelectedFont;
    uint32_t FFontHandle = 0;
    std::optional<uint32_t> FPolyFillMode;
    std::optional<uint32_t> FTextColor;
};
