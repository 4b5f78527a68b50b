// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PictureWriters.h"

#include "chart/PictureFile.h"
#include "chart/PlotError.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>
#include <zlib.h>

namespace
{

// A chart-like picture: black background, a dark green grid, one-pixel coloured traces and a few solid blocks.
void DrawChartLike(QPainter &p, const QSize &size)
{
    p.fillRect(QRect(QPoint(0, 0), size), Qt::black);
    p.setPen(QPen(QColor(0, 128, 0), 0));
    for (int x = 10; x < size.width(); x += 20)
        p.drawLine(x, 0, x, size.height() - 1);
    p.setPen(QPen(Qt::red, 0));
    p.drawLine(0, size.height() / 2, size.width() - 1, size.height() / 3);
    p.setPen(QPen(Qt::yellow, 0));
    p.drawLine(5, 5, size.width() - 5, size.height() - 5);
    p.fillRect(QRect(3, 3, 12, 9), QColor(40, 90, 200));
    p.fillRect(QRect(size.width() - 20, size.height() - 15, 16, 12), Qt::white);
}

// Runs a program; its standard output, or an empty array with the reason in `error` when it failed.
QByteArray RunTool(const QString &program, const QStringList &arguments, QString &error)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        error = program + " did not run";
        return {};
    }
    if (process.exitCode() != 0) {
        error = QString::fromUtf8(process.readAllStandardError());
        return {};
    }
    return process.readAllStandardOutput();
}

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The segments of a JPEG file up to the image data: marker to payload.
std::vector<std::pair<uint8_t, QByteArray>> JpegSegments(const QByteArray &jpeg)
{
    std::vector<std::pair<uint8_t, QByteArray>> segments;
    qsizetype i = 2; // after SOI
    while (i + 4 <= jpeg.size() && static_cast<uint8_t>(jpeg[i]) == 0xFF) {
        const auto marker = static_cast<uint8_t>(jpeg[i + 1]);
        const int length = qFromBigEndian<uint16_t>(jpeg.constData() + i + 2);
        segments.emplace_back(marker, jpeg.mid(i + 4, length - 2));
        if (marker == 0xDA)
            break;
        i += 2 + length;
    }
    return segments;
}

struct TFormatCase {
    const char *FileName;
    const char *Magick;
    int Tolerance; // largest allowed difference of a colour sample after reading back
};

class PictureFormats : public ::testing::TestWithParam<TFormatCase>
{
};

TEST_P(PictureFormats, IndependentReaderSeesThePicture)
{
    const TFormatCase c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QString::fromLatin1(c.FileName));
    const QSize size(121, 77);
    ASSERT_TRUE(SaveChartPicture(path, size, DrawChartLike));

    QString error;
    EXPECT_EQ(QString::fromUtf8(RunTool("identify", { "-format", "%m %w %h", path }, error)),
        QStringLiteral("%1 121 77").arg(c.Magick))
        << error.toStdString();
    const QByteArray rgb = RunTool("convert", { path, "-depth", "8", "rgb:-" }, error);
    const QImage expected = RenderChartImage(size, DrawChartLike).convertToFormat(QImage::Format_RGB888);
    ASSERT_EQ(rgb.size(), 121 * 77 * 3) << error.toStdString();
    int worst = 0;
    for (int y = 0; y < 77; ++y)
        for (int i = 0; i < 121 * 3; ++i)
            worst = std::max(worst,
                std::abs(static_cast<uint8_t>(rgb[y * 121 * 3 + i]) - static_cast<int>(expected.constScanLine(y)[i])));
    EXPECT_LE(worst, c.Tolerance);
}

INSTANTIATE_TEST_SUITE_P(Chart, PictureFormats,
    ::testing::Values(TFormatCase { "shot.bmp", "BMP3", 0 }, TFormatCase { "shot.png", "PNG", 0 },
        // Full-resolution colour keeps one-pixel red and yellow lines within a few steps; halved colour planes
        // would smear them by far more.
        TFormatCase { "shot.jpg", "JPEG", 6 }));

TEST(PictureWriters, JpegIsBaselineQuality100WithFullColour)
{
    const QByteArray jpeg = EncodeJpeg(RenderChartImage(QSize(64, 48), DrawChartLike), 100);
    ASSERT_GE(jpeg.size(), 4);
    EXPECT_EQ(static_cast<uint8_t>(jpeg[0]), 0xFF);
    EXPECT_EQ(static_cast<uint8_t>(jpeg[1]), 0xD8);
    int tables = 0;
    bool baseline = false;
    for (const auto &[marker, payload] : JpegSegments(jpeg)) {
        if (marker == 0xDB) {
            // Quality 100 scales every quantizer to 1.
            for (qsizetype i = 0; i + 65 <= payload.size(); i += 65, ++tables) {
                ASSERT_EQ(static_cast<uint8_t>(payload[i]) >> 4, 0) << "8-bit table";
                for (int k = 1; k <= 64; ++k)
                    EXPECT_EQ(static_cast<uint8_t>(payload[i + k]), 1) << "table " << tables << " entry " << k;
            }
        } else if (marker == 0xC0) {
            baseline = true;
            ASSERT_EQ(payload[5], 3);
            for (int comp = 0; comp < 3; ++comp)
                EXPECT_EQ(static_cast<uint8_t>(payload[6 + 3 * comp + 1]), 0x11) << "component " << comp;
        }
    }
    EXPECT_EQ(tables, 2);
    EXPECT_TRUE(baseline);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("shot.jpg");
    WritePictureFile(path, jpeg);
    QString error;
    EXPECT_EQ(QString::fromUtf8(RunTool("identify", { "-format", "%Q %[jpeg:sampling-factor]", path }, error)),
        QStringLiteral("100 1x1,1x1,1x1"))
        << error.toStdString();
}

TEST(PictureWriters, JpegErrorIsReportedNotFatal)
{
    // libjpeg refuses images wider than 65500 pixels; the failure must come back as an exception.
    QImage tooWide(70000, 1, QImage::Format_RGB32);
    tooWide.fill(Qt::black);
    try {
        EncodeJpeg(tooWide, 100);
        FAIL() << "no error";
    } catch (const EPlotError &e) {
        EXPECT_NE(std::string(e.what()).find("JPEG error: "), std::string::npos) << e.what();
    }
    EXPECT_FALSE(EncodeJpeg(QImage(QSize(2, 2), QImage::Format_RGB32), 100).isEmpty()) << "encoder still usable";
}

TEST(PictureWriters, PngStreamIsLevel9WithValidRowFilters)
{
    const QSize size(90, 40);
    const QByteArray png = EncodePng(RenderChartImage(size, DrawChartLike), 9);
    ASSERT_TRUE(png.startsWith(QByteArray("\x89PNG\r\n\x1a\n", 8)));
    QByteArray idat;
    qsizetype i = 8;
    QStringList chunks;
    while (i + 12 <= png.size()) {
        const uint32_t length = qFromBigEndian<uint32_t>(png.constData() + i);
        const QByteArray type = png.mid(i + 4, 4);
        const uint32_t crc = qFromBigEndian<uint32_t>(png.constData() + i + 8 + length);
        EXPECT_EQ(crc, crc32(0, reinterpret_cast<const Bytef *>(png.constData() + i + 4), length + 4))
            << type.toStdString();
        if (type == "IDAT")
            idat += png.mid(i + 8, length);
        chunks << QString::fromLatin1(type);
        i += 12 + length;
    }
    EXPECT_EQ(i, png.size());
    EXPECT_EQ(chunks.first(), "IHDR");
    EXPECT_EQ(chunks.last(), "IEND");
    ASSERT_GE(idat.size(), 2);
    EXPECT_EQ(static_cast<uint8_t>(idat[0]) & 0x0F, 8) << "deflate";
    EXPECT_EQ(static_cast<uint8_t>(idat[1]) >> 6, 3) << "compression level field: maximum";

    QByteArray raw(size.height() * (size.width() * 3 + 1) + 1, '\0');
    uLongf rawSize = static_cast<uLongf>(raw.size());
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef *>(raw.data()), &rawSize,
                  reinterpret_cast<const Bytef *>(idat.constData()), static_cast<uLong>(idat.size())),
        Z_OK);
    ASSERT_EQ(rawSize, static_cast<uLongf>(size.height() * (size.width() * 3 + 1)));
    bool filtered = false;
    for (int y = 0; y < size.height(); ++y) {
        const auto filter = static_cast<uint8_t>(raw[y * (size.width() * 3 + 1)]);
        EXPECT_LE(filter, 4);
        filtered = filtered || filter != 0;
    }
    EXPECT_TRUE(filtered) << "rows are filtered adaptively";
}

TEST(PictureWriters, FormatComesFromTheLastThreeCharacters)
{
    const struct {
        const char *Name;
        TPictureFormat Format;
    } cases[] = {
        { "/tmp/a.bmp", TPictureFormat::Bmp },
        { "/tmp/a.emf", TPictureFormat::Emf },
        { "/tmp/a.jpg", TPictureFormat::Jpeg },
        { "/tmp/a.png", TPictureFormat::Png },
        { "/tmp/abmp", TPictureFormat::Bmp },
        { "/tmp/Untitled", TPictureFormat::None },
        { "/tmp/a.jpeg", TPictureFormat::None },
        { "/tmp/a.PNG", TPictureFormat::None },
        { "/tmp/a.png/", TPictureFormat::None },
        { "", TPictureFormat::None },
    };
    for (const auto &c : cases)
        EXPECT_EQ(PictureFormatOfFileName(QString::fromUtf8(c.Name)), c.Format) << c.Name;
}

TEST(PictureWriters, OtherEndingWritesNothingAndFailuresKeepTheOldFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_FALSE(SaveChartPicture(dir.filePath("Untitled"), QSize(20, 10), DrawChartLike));
    EXPECT_FALSE(SaveChartPicture(dir.filePath("shot.gif"), QSize(20, 10), DrawChartLike));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());

    try {
        SaveChartPicture(dir.filePath("missing/shot.png"), QSize(20, 10), DrawChartLike);
        FAIL() << "no error";
    } catch (const EPlotError &e) {
        EXPECT_EQ(
            std::string(e.what()).rfind("Cannot create file \"" + dir.filePath("missing/shot.png").toStdString(), 0),
            0u)
            << e.what();
    }

    // A drawing that fails leaves an existing file of that name untouched.
    const QString existing = dir.filePath("old.png");
    QFile f(existing);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("old");
    f.close();
    EXPECT_THROW(SaveChartPicture(existing, QSize(20, 10), [](QPainter &, const QSize &) { throw EPlotError("x"); }),
        EPlotError);
    EXPECT_EQ(ReadAll(existing), QByteArray("old"));
}

TEST(PictureWriters, MetafileIsSavedWithItsHeader)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("shot.emf");
    ASSERT_TRUE(SaveChartPicture(path, QSize(121, 77), DrawChartLike));
    const QByteArray emf = ReadAll(path);
    ASSERT_GE(emf.size(), 108);
    EXPECT_EQ(qFromLittleEndian<uint32_t>(emf.constData()), 1u);
    EXPECT_EQ(qFromLittleEndian<uint32_t>(emf.constData() + 40), 0x464D4520u);
    EXPECT_EQ(qFromLittleEndian<uint32_t>(emf.constData() + 48), static_cast<uint32_t>(emf.size()));
    // The black background covers the picture.
    EXPECT_EQ(qFromLittleEndian<int32_t>(emf.constData() + 16), 120);
    EXPECT_EQ(qFromLittleEndian<int32_t>(emf.constData() + 20), 76);
}

} // namespace
