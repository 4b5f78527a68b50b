// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QRect>
#include <QSize>
#include <QString>
#include <cstdint>

// Record numbers of the enhanced-metafile format that this program writes.
namespace EmfRecord
{
constexpr uint32_t Header = 1;
constexpr uint32_t Polygon = 3;
constexpr uint32_t Polyline = 4;
constexpr uint32_t PolyPolygon = 8;
constexpr uint32_t Eof = 14;
constexpr uint32_t SetPixelV = 15;
constexpr uint32_t SetBkMode = 18;
constexpr uint32_t SetPolyFillMode = 19;
constexpr uint32_t SetTextAlign = 22;
constexpr uint32_t SetTextColor = 24;
constexpr uint32_t IntersectClipRect = 30;
constexpr uint32_t SelectObject = 37;
constexpr uint32_t CreatePen = 38;
constexpr uint32_t CreateBrushIndirect = 39;
constexpr uint32_t DeleteObject = 40;
constexpr uint32_t Rectangle = 43;
constexpr uint32_t ExtSelectClipRgn = 75;
constexpr uint32_t StretchDIBits = 81;
constexpr uint32_t ExtCreateFontIndirectW = 82;
constexpr uint32_t ExtTextOutW = 84;
constexpr uint32_t Polygon16 = 86;
constexpr uint32_t Polyline16 = 87;
constexpr uint32_t PolyPolygon16 = 91;
constexpr uint32_t ExtCreatePen = 95;
} // namespace EmfRecord

// Builds the byte stream of one enhanced metafile: the header record first, then the records the caller adds, then
// the end-of-file record. Numbers are little-endian; every record is padded to a multiple of 4 bytes. The picture is
// `size` device pixels at 96 dots per inch; its frame (in 0.01 mm) covers exactly that area.
class TEmfRecordWriter
{
public:
    TEmfRecordWriter(QSize size, const QString &description);

    // Starts a record; its size is filled in by EndRecord, which also pads it to a multiple of 4 bytes.
    void BeginRecord(uint32_t type);
    void EndRecord();

    void U8(uint8_t value);
    void U16(uint16_t value);
    void U32(uint32_t value);
    void I32(int32_t value) { U32(static_cast<uint32_t>(value)); }
    void F32(float value);
    // A rectangle as its four edges (left, top, right, bottom), written as given.
    void Edges(int left, int top, int right, int bottom);
    void Bytes(const char *data, qsizetype length);
    // Pads the current record with zero bytes up to a multiple of 4.
    void Align4();
    // Offset of the next byte from the start of the current record.
    uint32_t RecordOffset() const;
    // Overwrites a 32-bit field of the current record, at an offset from the record's start.
    void PatchRecordU32(uint32_t offset, uint32_t value);

    // Widens the picture's bounds by a drawn area in device pixels (inclusive on all edges); the bounds are limited
    // to the picture.
    void AddBounds(const QRect &area);
    QRect Bounds() const { return FBounds; }

    void SetHandleCount(uint16_t count) { FHandleCount = count; }

    // Adds the end-of-file record, completes the header and returns the whole file. The writer is spent afterwards.
    QByteArray Finish();

    QSize Size() const { return FSize; }

private:
    void PutU32At(qsizetype offset, uint32_t value);

    QByteArray FData;
    QSize FSize;
    QRect FBounds;
    qsizetype FRecordStart = -1;
    uint32_t FRecordCount = 0;
    uint16_t FHandleCount = 1;
};
