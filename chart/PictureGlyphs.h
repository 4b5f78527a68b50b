// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>

// The colour of a glyph's background, which is shown transparent.
constexpr QRgb GlyphTransparentColor = 0xFF008080;

// The toolbar glyph of that resource name: "AUTO", "PAUSE", "SCROLL", "ZOOM", "ZOOMOUT", "ZOOMIN", "SELECT",
// "SCROLLBOX", "CURSOR", "PROPERTIES", "COPY", "SAVE", "PRINTER", "PREVIEW" at 24 x 24 pixels, and the same names with
// the prefix "SMALL" at 16 x 16. The image has an alpha channel in which the teal background is transparent; a name
// without a glyph gives a null image.
QImage LoadGlyph(const QString &name);

// The glyph as a disabled button shows it: its shapes in grey, its background still transparent.
QImage GreyedGlyph(const QImage &glyph);
