// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/EmfPaintDevice.h"

#include "platform/EmfRecordWriter.h"

#include <QFile>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>
#include <map>
#include <set>

namespace
{

struct TRecord {
    uint32_t Type = 0;
    QByteArray Body; // the whole record, type and size included

    uint32_t U32(int offset) const { return qFromLittleEndian<uint32_t>(Body.constData() + offset); }
    int32_t I32(int offset) const { return qFromLittleEndian<int32_t>(Body.constData() + offset); }
    int16_t I16(int offset) const { return qFromLittleEndian<int16_t>(Body.constData() + offset); }
    QRect Edges(int offset) const
    {
        return QRect(QPoint(I32(offset), I32(offset + 4)), QPoint(I32(offset + 8), I32(offset + 12)));
    }
};

// Reads a metafile record by record and checks what every reader relies on: record sizes, the header's totals, the
// end-of-file record, the bounds within the frame and the picture, and that graphics objects are created before
// they are selected and never deleted while selected. Failures are reported through gtest; the records are returned.
std::vector<TRecord> ReadChecked(const QByteArray &file, QSize size)
{
    std::vector<TRecord> records;
    qsizetype offset = 0;
    while (offset < file.size()) {
        if (file.size() - offset < 8) {
            ADD_FAILURE() << "truncated record at " << offset;
            return records;
        }
        const uint32_t type = qFromLittleEndian<uint32_t>(file.constData() + offset);
        const uint32_t length = qFromLittleEndian<uint32_t>(file.constData() + offset + 4);
        if (length < 8 || length % 4 != 0 || length > file.size() - offset) {
            ADD_FAILURE() << "bad size " << length << " of record type " << type << " at " << offset;
            return records;
        }
        records.push_back({ type, file.mid(offset, length) });
        offset += length;
    }
    EXPECT_GE(records.size(), 2u);
    if (records.size() < 2)
        return records;

    const TRecord &header = records.front();
    EXPECT_EQ(header.Type, EmfRecord::Header);
    EXPECT_EQ(header.U32(40), 0x464D4520u);
    EXPECT_EQ(header.U32(48), static_cast<uint32_t>(file.size()));
    EXPECT_EQ(header.U32(52), records.size());
    const uint32_t handles = qFromLittleEndian<uint16_t>(header.Body.constData() + 56);
    // The description lies inside the header record.
    EXPECT_LE(header.U32(64) + 2 * header.U32(60), header.Body.size());

    const QRect bounds = header.Edges(8);
    const QRect frame = header.Edges(24);
    EXPECT_EQ(frame.left(), 0);
    EXPECT_EQ(frame.top(), 0);
    EXPECT_NEAR(frame.right(), size.width() * 2540.0 / 96.0, 2.0);
    EXPECT_NEAR(frame.bottom(), size.height() * 2540.0 / 96.0, 2.0);
    if (bounds.isValid()) {
        EXPECT_TRUE(QRect(QPoint(0, 0), size).contains(bounds)) << "bounds outside the picture";
        EXPECT_LE((bounds.right() + 1) * 2540.0 / 96.0, frame.right() + 1.0) << "bounds outside the frame";
        EXPECT_LE((bounds.bottom() + 1) * 2540.0 / 96.0, frame.bottom() + 1.0) << "bounds outside the frame";
    }

    const TRecord &eof = records.back();
    EXPECT_EQ(eof.Type, EmfRecord::Eof);
    EXPECT_EQ(eof.Body.size(), 20);
    EXPECT_EQ(eof.U32(16), 20u);

    std::set<uint32_t> created;
    std::map<uint32_t, uint32_t> selectedByKind; // object kind (record type that made it) to handle
    std::map<uint32_t, uint32_t> kindOf;
    for (size_t i = 1; i + 1 < records.size(); ++i) {
        const TRecord &r = records[i];
        EXPECT_NE(r.Type, EmfRecord::Header) << "second header at record " << i;
        EXPECT_NE(r.Type, EmfRecord::Eof) << "end of file before the last record";
        if (r.Type == EmfRecord::CreatePen || r.Type == EmfRecord::ExtCreatePen
            || r.Type == EmfRecord::CreateBrushIndirect || r.Type == EmfRecord::ExtCreateFontIndirectW) {
            const uint32_t h = r.U32(8);
            EXPECT_GT(h, 0u);
            EXPECT_LT(h, handles) << "handle beyond the header's count";
            EXPECT_FALSE(created.count(h)) << "handle " << h << " created twice";
            created.insert(h);
            kindOf[h] = r.Type == EmfRecord::ExtCreatePen ? EmfRecord::CreatePen : r.Type;
        } else if (r.Type == EmfRecord::SelectObject) {
            const uint32_t h = r.U32(8);
            if (h & 0x80000000u) {
                const uint32_t stock = h & 0x7fffffffu;
                const uint32_t kind = stock <= 5 ? EmfRecord::CreateBrushIndirect
                    : stock <= 8                 ? EmfRecord::CreatePen
                                                 : EmfRecord::ExtCreateFontIndirectW;
                selectedByKind[kind] = h;
            } else {
                EXPECT_TRUE(created.count(h)) << "selecting handle " << h << " that does not exist";
                selectedByKind[kindOf[h]] = h;
            }
        } else if (r.Type == EmfRecord::DeleteObject) {
            const uint32_t h = r.U32(8);
            EXPECT_TRUE(created.count(h)) << "deleting handle " << h << " that does not exist";
            EXPECT_NE(selectedByKind[kindOf[h]], h) << "deleting handle " << h << " while selected";
            created.erase(h);
        }
    }
    EXPECT_TRUE(created.empty()) << "objects left undeleted at the end";
    return records;
}

std::vector<TRecord> OfType(const std::vector<TRecord> &records, uint32_t type)
{
    std::vector<TRecord> found;
    for (const TRecord &r : records)
        if (r.Type == type)
            found.push_back(r);
    return found;
}

QString TextOf(const TRecord &text)
{
    const uint32_t count = text.U32(44);
    const uint32_t offString = text.U32(48);
    QString s;
    for (uint32_t i = 0; i < count; ++i)
        s.append(QChar(qFromLittleEndian<uint16_t>(text.Body.constData() + offString + 2 * i)));
    return s;
}

QPolygon PointsOf16(const TRecord &poly)
{
    QPolygon points;
    for (uint32_t i = 0; i < poly.U32(24); ++i)
        points.append(QPoint(poly.I16(28 + 4 * i), poly.I16(30 + 4 * i)));
    return points;
}

// A small picture in the manner of a chart: black background, grid lines, a trace, a framed box, labels, a clipped
// part and a transformed part.
QByteArray DrawSample(QSize size)
{
    TEmfPaintDevice device(size);
    QPainter p(&device);
    p.fillRect(QRect(QPoint(0, 0), size), Qt::black);
    p.setPen(QPen(QColor(0, 128, 0), 0));
    p.drawLine(10, 50, 190, 50);
    p.setPen(QPen(Qt::yellow, 0));
    const QPoint trace[] = { { 10, 90 }, { 40, 30 }, { 70, 70 }, { 100, 20 } };
    p.drawPolyline(trace, 4);
    p.setPen(QPen(Qt::white, 0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(5, 5, 100, 60));
    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(11);
    p.setFont(font);
    p.drawText(QPoint(20, 110), QStringLiteral("Time 12.50"));
    p.drawText(QPoint(120, 110), QStringLiteral("数据"));
    p.save();
    p.setClipRect(QRect(150, 10, 30, 30));
    p.setPen(QPen(Qt::red, 3));
    p.drawLine(140, 0, 190, 50);
    p.restore();
    p.translate(100, 60);
    p.scale(2, 2);
    p.setPen(QPen(Qt::cyan, 0));
    p.drawLine(0, 0, 10, 5);
    p.end();
    return device.Data();
}

TEST(EmfPaintDevice, RecordsAreWellFormedAndCarryTheDrawing)
{
    const QSize size(200, 120);
    const std::vector<TRecord> records = ReadChecked(DrawSample(size), size);
    ASSERT_FALSE(records.empty());

    // The background fill covers the picture, so the bounds are the whole picture.
    EXPECT_EQ(records.front().Edges(8), QRect(0, 0, 200, 120));
    const std::vector<TRecord> rects = OfType(records, EmfRecord::Rectangle);
    ASSERT_EQ(rects.size(), 2u);
    // Without a pen the box is one wider on each far edge than the filled area; with a pen the frame covers both
    // edge columns.
    EXPECT_EQ(rects[0].Edges(8), QRect(QPoint(0, 0), QPoint(201, 121)));
    EXPECT_EQ(rects[1].Edges(8), QRect(QPoint(5, 5), QPoint(106, 66)));

    const std::vector<TRecord> lines = OfType(records, EmfRecord::Polyline16);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(PointsOf16(lines[0]), QPolygon({ QPoint(10, 50), QPoint(190, 50) }));
    EXPECT_EQ(PointsOf16(lines[1]), QPolygon({ QPoint(10, 90), QPoint(40, 30), QPoint(70, 70), QPoint(100, 20) }));
    EXPECT_EQ(lines[1].Edges(8), QRect(QPoint(9, 19), QPoint(101, 91)));
    EXPECT_EQ(PointsOf16(lines[2]), QPolygon({ QPoint(140, 0), QPoint(190, 50) }));
    // Translation and scale are applied: (0,0)-(10,5) lands at (100,60)-(120,70).
    EXPECT_EQ(PointsOf16(lines[3]), QPolygon({ QPoint(100, 60), QPoint(120, 70) }));

    const std::vector<TRecord> pens = OfType(records, EmfRecord::CreatePen);
    ASSERT_GE(pens.size(), 3u);
    EXPECT_EQ(pens[0].U32(24), 0x00008000u) << "grid pen colour as 0x00BBGGRR";
    EXPECT_EQ(pens[0].I32(16), 0) << "cosmetic pen";
    const std::vector<TRecord> widePens = OfType(records, EmfRecord::ExtCreatePen);
    ASSERT_EQ(widePens.size(), 1u);
    EXPECT_EQ(widePens[0].U32(32), 3u);
    EXPECT_EQ(widePens[0].U32(40), 0x000000FFu);

    const std::vector<TRecord> texts = OfType(records, EmfRecord::ExtTextOutW);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(TextOf(texts[0]), QStringLiteral("Time 12.50"));
    EXPECT_EQ(TextOf(texts[1]), QStringLiteral("数据"));
    EXPECT_EQ(texts[0].I32(36), 20);
    EXPECT_EQ(texts[0].I32(40), 110);
    // The advances add up to about the laid-out width of the text.
    const uint32_t offDx = texts[0].U32(72);
    int width = 0;
    for (int i = 0; i < 10; ++i)
        width += texts[0].I32(static_cast<int>(offDx) + 4 * i);
    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(11);
    EXPECT_NEAR(width, QFontMetricsF(font).horizontalAdvance(QStringLiteral("Time 12.50")), 2.0);
    const std::vector<TRecord> fonts = OfType(records, EmfRecord::ExtCreateFontIndirectW);
    ASSERT_EQ(fonts.size(), 1u) << "one font object serves both texts";
    EXPECT_EQ(fonts[0].I32(12), -11);
}

TEST(EmfPaintDevice, ClipFollowsSaveAndRestore)
{
    const QSize size(200, 120);
    const std::vector<TRecord> records = ReadChecked(DrawSample(size), size);
    // Sequence of clip changes around the drawings: the clipped red line is preceded by a clip to (150,10)-(180,40)
    // exclusive, and the line drawn after restore by a reset to no clip.
    std::vector<std::string> sequence;
    for (const TRecord &r : records) {
        if (r.Type == EmfRecord::IntersectClipRect) {
            const QRect c = r.Edges(8);
            sequence.push_back("clip " + std::to_string(c.left()) + "," + std::to_string(c.top()) + ","
                + std::to_string(c.right()) + "," + std::to_string(c.bottom()));
        } else if (r.Type == EmfRecord::ExtSelectClipRgn && r.U32(8) == 0) {
            sequence.push_back("reset");
        } else if (r.Type == EmfRecord::Polyline16) {
            sequence.push_back("line " + std::to_string(r.I16(28)));
        }
    }
    const std::vector<std::string> expected
        = { "line 10", "line 10", "reset", "clip 150,10,180,40", "line 140", "reset", "line 100" };
    EXPECT_EQ(sequence, expected);
}

TEST(EmfPaintDevice, PathsImagesAndLargeCoordinates)
{
    const QSize size(40000, 30);
    TEmfPaintDevice device(size);
    QPainter p(&device);
    QPainterPath path;
    path.addEllipse(QRectF(2, 2, 20, 20));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::blue);
    p.drawPath(path);
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(QColor(10, 20, 30));
    p.drawImage(QPoint(30, 5), image);
    p.setPen(QPen(Qt::white, 0));
    p.drawLine(0, 10, 39990, 10);
    p.end();
    const std::vector<TRecord> records = ReadChecked(device.Data(), size);

    ASSERT_EQ(OfType(records, EmfRecord::PolyPolygon16).size(), 1u);
    const std::vector<TRecord> bitmaps = OfType(records, EmfRecord::StretchDIBits);
    ASSERT_EQ(bitmaps.size(), 1u);
    const TRecord &bitmap = bitmaps[0];
    EXPECT_EQ(bitmap.I32(24), 30);
    EXPECT_EQ(bitmap.I32(28), 5);
    EXPECT_EQ(bitmap.I32(72), 4);
    EXPECT_EQ(bitmap.I32(76), 3);
    const uint32_t offBits = bitmap.U32(56);
    EXPECT_EQ(static_cast<uint8_t>(bitmap.Body[offBits]), 30) << "blue first";
    EXPECT_EQ(static_cast<uint8_t>(bitmap.Body[offBits + 2]), 10);
    // Coordinates beyond 16 bits need the 32-bit polyline.
    const std::vector<TRecord> wide = OfType(records, EmfRecord::Polyline);
    ASSERT_EQ(wide.size(), 1u);
    EXPECT_EQ(wide[0].I32(36), 39990);
}

TEST(EmfPaintDevice, EmptyPictureHasEmptyBounds)
{
    TEmfPaintDevice device(QSize(50, 40));
    QPainter p(&device);
    p.end();
    const std::vector<TRecord> records = ReadChecked(device.Data(), QSize(50, 40));
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.front().I32(16), -1);
    EXPECT_EQ(records.front().I32(20), -1);
}

// An independent reader turns the file into SVG that holds the drawn lines, colours and texts.
TEST(EmfPaintDevice, IndependentReaderDrawsTheContent)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString emf = dir.filePath("sample.emf"), svg = dir.filePath("sample.svg");
    QFile file(emf);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(DrawSample(QSize(200, 120)));
    file.close();

    QProcess convert;
    convert.start(QStringLiteral("emf2svg-conv"), { "-i", emf, "-o", svg });
    ASSERT_TRUE(convert.waitForFinished(30000)) << "emf2svg-conv (package emf2svg) did not run";
    ASSERT_EQ(convert.exitCode(), 0) << convert.readAllStandardError().toStdString();
    QFile out(svg);
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(out.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("Time 12.50"))) << text.left(4000).toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("数据")));
    EXPECT_TRUE(text.contains(QStringLiteral("#008000"), Qt::CaseInsensitive)) << "grid colour";
    EXPECT_TRUE(text.contains(QStringLiteral("#FFFF00"), Qt::CaseInsensitive)) << "trace colour";
    EXPECT_GE(text.count(QStringLiteral("<path")) + text.count(QStringLiteral("<polyline")), 5);
}

} // namespace
