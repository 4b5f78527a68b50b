// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/EmfRecordWriter.h"

#include <QtEndian>
#include <cmath>
#include <cstring>

namespace
{

// The reference device named in the header: 1920 x 1440 pixels on 508 x 381 mm, which is exactly 96 dots per inch.
constexpr int RefDevicePixelsX = 1920;
constexpr int RefDevicePixelsY = 1440;
constexpr int RefDeviceMillimetersX = 508;
constexpr int RefDeviceMillimetersY = 381;

constexpr qsizetype HeaderSize = 108;
constexpr qsizetype OffBounds = 8;
constexpr qsizetype OffBytes = 48;
constexpr qsizetype OffRecords = 52;
constexpr qsizetype OffHandles = 56;

// Pixels at 96 dpi to 0.01 mm.
int HundredthsOfMm(int pixels)
{
    return static_cast<int>(std::lround(pixels * 2540.0 / 96.0));
}

} // namespace

TEmfRecordWriter::TEmfRecordWriter(QSize size, const QString &description)
    : FSize(size.expandedTo(QSize(0, 0)))
{
    // The description is the creator, a null, the picture's title and two nulls, in UTF-16.
    QString text = description;
    text.append(QChar(0));
    text.append(QChar(0));

    BeginRecord(EmfRecord::Header);
    Edges(0, 0, -1, -1); // bounds: set by Finish
    Edges(0, 0, HundredthsOfMm(FSize.width()) - 1, HundredthsOfMm(FSize.height()) - 1);
    U32(0x464D4520); // " EMF"
    U32(0x00010000);
    U32(0); // bytes: set by Finish
    U32(0); // records: set by Finish
    U16(0); // handles: set by Finish
    U16(0);
    U32(static_cast<uint32_t>(text.size()));
    U32(HeaderSize);
    U32(0); // palette entries
    I32(RefDevicePixelsX);
    I32(RefDevicePixelsY);
    I32(RefDeviceMillimetersX);
    I32(RefDeviceMillimetersY);
    U32(0); // pixel format: none
    U32(0);
    U32(0); // no OpenGL records
    U32(RefDeviceMillimetersX * 1000);
    U32(RefDeviceMillimetersY * 1000);
    for (QChar c : text)
        U16(c.unicode());
    EndRecord();
}

void TEmfRecordWriter::BeginRecord(uint32_t type)
{
    Q_ASSERT(FRecordStart < 0);
    FRecordStart = FData.size();
    U32(type);
    U32(0);
}

void TEmfRecordWriter::EndRecord()
{
    Q_ASSERT(FRecordStart >= 0);
    Align4();
    PutU32At(FRecordStart + 4, static_cast<uint32_t>(FData.size() - FRecordStart));
    FRecordStart = -1;
    ++FRecordCount;
}

void TEmfRecordWriter::U8(uint8_t value)
{
    FData.append(static_cast<char>(value));
}

void TEmfRecordWriter::U16(uint16_t value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    FData.append(bytes, 2);
}

void TEmfRecordWriter::U32(uint32_t value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    FData.append(bytes, 4);
}

void TEmfRecordWriter::F32(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    U32(bits);
}

void TEmfRecordWriter::Edges(int left, int top, int right, int bottom)
{
    I32(left);
    I32(top);
    I32(right);
    I32(bottom);
}

void TEmfRecordWriter::Bytes(const char *data, qsizetype length)
{
    FData.append(data, length);
}

void TEmfRecordWriter::Align4()
{
    while ((FData.size() - FRecordStart) % 4 != 0)
        FData.append('\0');
}

uint32_t TEmfRecordWriter::RecordOffset() const
{
    return static_cast<uint32_t>(FData.size() - FRecordStart);
}

void TEmfRecordWriter::PatchRecordU32(uint32_t offset, uint32_t value)
{
    PutU32At(FRecordStart + offset, value);
}

void TEmfRecordWriter::AddBounds(const QRect &area)
{
    const QRect limited = area.normalized().intersected(QRect(QPoint(0, 0), FSize));
    if (!limited.isEmpty())
        FBounds = FBounds.united(limited);
}

QByteArray TEmfRecordWriter::Finish()
{
    BeginRecord(EmfRecord::Eof);
    U32(0); // palette entries
    U32(16); // offset of the (empty) palette
    U32(20); // this record's size again, for reading backwards
    EndRecord();

    const QRect b = FBounds.isValid() ? FBounds : QRect(0, 0, 0, 0);
    // An empty picture has the bounds (0, 0, -1, -1).
    PutU32At(OffBounds, static_cast<uint32_t>(b.left()));
    PutU32At(OffBounds + 4, static_cast<uint32_t>(b.top()));
    PutU32At(OffBounds + 8, static_cast<uint32_t>(FBounds.isValid() ? b.right() : -1));
    PutU32At(OffBounds + 12, static_cast<uint32_t>(FBounds.isValid() ? b.bottom() : -1));
    PutU32At(OffBytes, static_cast<uint32_t>(FData.size()));
    PutU32At(OffRecords, FRecordCount);
    qToLittleEndian(FHandleCount, FData.data() + OffHandles);
    return std::move(FData);
}

void TEmfRecordWriter::PutU32At(qsizetype offset, uint32_t value)
{
    qToLittleEndian(value, FData.data() + offset);
}
