// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PictureWriters.h"

#include "chart/PlotError.h"

#include <QSaveFile>
#include <QtEndian>
#include <array>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <jpeglib.h>
#include <memory>
#include <zlib.h>

namespace
{

constexpr int PixelsPerMetre = 3780; // 96 dots per inch

// The image as 8-bit RGB rows, opaque: transparent parts are put on white.
QImage RgbRows(const QImage &image)
{
    if (image.hasAlphaChannel()) {
        QImage flat(image.size(), QImage::Format_RGB888);
        flat.fill(Qt::white);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb c = image.pixel(x, y);
                const int a = qAlpha(c);
                const auto blend = [a](int v) { return (v * a + 255 * (255 - a) + 127) / 255; };
                flat.setPixel(x, y, qRgb(blend(qRed(c)), blend(qGreen(c)), blend(qBlue(c))));
            }
        return flat;
    }
    return image.convertToFormat(QImage::Format_RGB888);
}

void Put16(QByteArray &out, uint16_t v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void Put32(QByteArray &out, uint32_t v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

void PutBig32(QByteArray &out, uint32_t v)
{
    char b[4];
    qToBigEndian(v, b);
    out.append(b, 4);
}

// --- JPEG -------------------------------------------------------------------------------------------------------

// libjpeg reports a fatal error by calling error_exit, whose default ends the process; ours jumps back to the
// encoder with the message instead.
struct TJpegErrorManager {
    jpeg_error_mgr Base;
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

// Everything the encoder touches between setjmp and a possible longjmp lives here, outside the function that calls
// setjmp, so that no local variable is left indeterminate by the jump.
struct TJpegJob {
    jpeg_compress_struct Info;
    TJpegErrorManager Error;
    unsigned char *Buffer;
    unsigned long Size;
};

void JpegErrorExit(j_common_ptr info)
{
    auto *error = reinterpret_cast<TJpegErrorManager *>(info->err);
    (*info->err->format_message)(info, error->Message);
    std::longjmp(error->Jump, 1);
}

void JpegOutputMessage(j_common_ptr) { }

bool RunJpeg(TJpegJob *job, const QImage *rgb, int quality)
{
    if (setjmp(job->Error.Jump))
        return false;
    jpeg_create_compress(&job->Info);
    jpeg_mem_dest(&job->Info, &job->Buffer, &job->Size);
    job->Info.image_width = static_cast<JDIMENSION>(rgb->width());
    job->Info.image_height = static_cast<JDIMENSION>(rgb->height());
    job->Info.input_components = 3;
    job->Info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&job->Info);
    jpeg_set_quality(&job->Info, quality, TRUE);
    // Full-resolution colour: libjpeg halves the colour planes in both directions unless told otherwise.
    for (int i = 0; i < job->Info.num_components; ++i) {
        job->Info.comp_info[i].h_samp_factor = 1;
        job->Info.comp_info[i].v_samp_factor = 1;
    }
    job->Info.optimize_coding = TRUE;
    job->Info.density_unit = 1;
    job->Info.X_density = 96;
    job->Info.Y_density = 96;
    jpeg_start_compress(&job->Info, TRUE);
    while (job->Info.next_scanline < job->Info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb->constScanLine(static_cast<int>(job->Info.next_scanline)));
        jpeg_write_scanlines(&job->Info, &row, 1);
    }
    jpeg_finish_compress(&job->Info);
    return true;
}

// --- PNG --------------------------------------------------------------------------------------------------------

int Paeth(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc)
        return a;
    return pb <= pc ? b : c;
}

// Appends one row, preceded by the filter (none, sub, up, average or Paeth) whose output has the smallest sum of
// magnitudes, the usual measure of how well a row will compress.
void AppendFilteredRow(QByteArray &out, const uchar *row, const uchar *above, int length)
{
    constexpr int Bpp = 3;
    std::array<QByteArray, 5> candidates;
    std::array<uint64_t, 5> cost {};
    for (int f = 0; f < 5; ++f)
        candidates[f].resize(length);
    for (int i = 0; i < length; ++i) {
        const int x = row[i];
        const int a = i >= Bpp ? row[i - Bpp] : 0;
        const int b = above ? above[i] : 0;
        const int c = above && i >= Bpp ? above[i - Bpp] : 0;
        const int values[5] = { x, x - a, x - b, x - (a + b) / 2, x - Paeth(a, b, c) };
        for (int f = 0; f < 5; ++f) {
            const auto v = static_cast<uint8_t>(values[f]);
            candidates[f][i] = static_cast<char>(v);
            cost[f] += v < 128 ? v : 256 - v;
        }
    }
    int best = 0;
    for (int f = 1; f < 5; ++f)
        if (cost[f] < cost[best])
            best = f;
    out.append(static_cast<char>(best));
    out.append(candidates[best]);
}

void AppendChunk(QByteArray &png, const char type[4], const QByteArray &data)
{
    PutBig32(png, static_cast<uint32_t>(data.size()));
    const qsizetype start = png.size();
    png.append(type, 4);
    png.append(data);
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef *>(png.constData() + start),
        static_cast<uInt>(png.size() - start));
    PutBig32(png, static_cast<uint32_t>(crc));
}

} // namespace

QByteArray EncodeBmp(const QImage &image)
{
    const QImage rgb = RgbRows(image);
    const int width = rgb.width(), height = rgb.height();
    const int stride = (width * 3 + 3) / 4 * 4;
    const uint32_t pixelBytes = static_cast<uint32_t>(stride) * static_cast<uint32_t>(height);
    QByteArray out;
    out.reserve(54 + pixelBytes);
    out.append("BM", 2);
    Put32(out, 54 + pixelBytes);
    Put32(out, 0);
    Put32(out, 54);
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height)); // positive: rows from the bottom up
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);
    Put32(out, pixelBytes);
    Put32(out, PixelsPerMetre);
    Put32(out, PixelsPerMetre);
    Put32(out, 0);
    Put32(out, 0);
    QByteArray row(stride, '\0');
    for (int y = height - 1; y >= 0; --y) {
        const uchar *src = rgb.constScanLine(y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = static_cast<char>(src[3 * x + 2]);
            row[3 * x + 1] = static_cast<char>(src[3 * x + 1]);
            row[3 * x + 2] = static_cast<char>(src[3 * x]);
        }
        out.append(row);
    }
    return out;
}

QByteArray EncodeJpeg(const QImage &image, int quality)
{
    if (image.isNull())
        throw EPlotError("JPEG error: the picture is empty");
    const QImage rgb = RgbRows(image);
    auto job = std::make_unique<TJpegJob>();
    std::memset(job.get(), 0, sizeof(TJpegJob));
    job->Info.err = jpeg_std_error(&job->Error.Base);
    job->Error.Base.error_exit = JpegErrorExit;
    job->Error.Base.output_message = JpegOutputMessage;
    const bool done = RunJpeg(job.get(), &rgb, quality);
    QByteArray out;
    if (done)
        out = QByteArray(reinterpret_cast<const char *>(job->Buffer), static_cast<qsizetype>(job->Size));
    jpeg_destroy_compress(&job->Info);
    std::free(job->Buffer);
    if (!done)
        throw EPlotError(std::string("JPEG error: ") + job->Error.Message);
    return out;
}

QByteArray EncodePng(const QImage &image, int level)
{
    const QImage rgb = RgbRows(image);
    const int width = rgb.width(), height = rgb.height();
    const int rowBytes = width * 3;

    QByteArray raw;
    raw.reserve(static_cast<qsizetype>(height) * (rowBytes + 1));
    for (int y = 0; y < height; ++y)
        AppendFilteredRow(raw, rgb.constScanLine(y), y > 0 ? rgb.constScanLine(y - 1) : nullptr, rowBytes);

    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    QByteArray packed(static_cast<qsizetype>(packedSize), '\0');
    const int result = compress2(reinterpret_cast<Bytef *>(packed.data()), &packedSize,
        reinterpret_cast<const Bytef *>(raw.constData()), static_cast<uLong>(raw.size()), level);
    if (result != Z_OK)
        throw EPlotError(std::string("PNG error: ") + zError(result));
    packed.truncate(static_cast<qsizetype>(packedSize));

    QByteArray header;
    PutBig32(header, static_cast<uint32_t>(width));
    PutBig32(header, static_cast<uint32_t>(height));
    header.append(static_cast<char>(8)); // bits per sample
    header.append(static_cast<char>(2)); // RGB
    header.append(static_cast<char>(0)); // deflate
    header.append(static_cast<char>(0)); // adaptive filtering
    header.append(static_cast<char>(0)); // not interlaced
    QByteArray density;
    PutBig32(density, PixelsPerMetre);
    PutBig32(density, PixelsPerMetre);
    density.append(static_cast<char>(1)); // per metre

    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    AppendChunk(png, "IHDR", header);
    AppendChunk(png, "pHYs", density);
    AppendChunk(png, "IDAT", packed);
    AppendChunk(png, "IEND", QByteArray());
    return png;
}

TPictureFormat PictureFormatOfFileName(const QString &fileName)
{
    const QString ending = fileName.right(3);
    if (ending == QLatin1String("bmp"))
        return TPictureFormat::Bmp;
    if (ending == QLatin1String("emf"))
        return TPictureFormat::Emf;
    if (ending == QLatin1String("jpg"))
        return TPictureFormat::Jpeg;
    if (ending == QLatin1String("png"))
        return TPictureFormat::Png;
    return TPictureFormat::None;
}

void WritePictureFile(const QString &fileName, const QByteArray &bytes)
{
    QSaveFile file(fileName);
    const bool written = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
    if (!written)
        throw EPlotError("Cannot create file \"" + fileName.toStdString() + "\". " + file.errorString().toStdString());
}
