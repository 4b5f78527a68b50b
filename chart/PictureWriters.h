// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Encoders for the chart's pictures, each turning an image into the bytes of one file. Transparency is not kept
// (the chart's pictures are opaque); every format records 96 dots per inch.

// A Windows bitmap file: 24 bits per pixel, bottom-up rows, no compression.
QByteArray EncodeBmp(const QImage &image);

// A baseline JPEG through libjpeg, with full-resolution colour (no chroma subsampling), so that thin coloured lines
// stay sharp. Throws EPlotError when the encoder fails.
QByteArray EncodeJpeg(const QImage &image, int quality = 100);

// A PNG with 8-bit RGB samples, written with zlib at the given deflate level, each row with the filter that makes
// it smallest. Throws EPlotError when compression fails.
QByteArray EncodePng(const QImage &image, int level = 9);

enum class TPictureFormat { None, Bmp, Emf, Jpeg, Png };

// The picture format a save-file name asks for: its last three characters "bmp", "emf", "jpg" or "png", in lower
// case; any other ending asks for none.
TPictureFormat PictureFormatOfFileName(const QString &fileName);

// Writes bytes to a file as a whole: an existing file is replaced only when all bytes were written. Throws EPlotError
// naming the file and the reason when it cannot be written.
void WritePictureFile(const QString &fileName, const QByteArray &bytes);
