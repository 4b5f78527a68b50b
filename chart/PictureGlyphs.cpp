// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PictureGlyphs.h"

#include <mutex>

// The glyphs are compiled into the chart library; a static library's resources must be registered by hand.
static void RegisterGlyphResources()
{
    static std::once_flag once;
    std::call_once(once, [] { Q_INIT_RESOURCE(Glyphs); });
}

QImage LoadGlyph(const QString &name)
{
    RegisterGlyphResources();
    QImage bitmap(QStringLiteral(":/glyphs/") + name, "BMP");
    if (bitmap.isNull())
        return {};
    QImage glyph = bitmap.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < glyph.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(glyph.scanLine(y));
        for (int x = 0; x < glyph.width(); ++x)
            if (line[x] == GlyphTransparentColor)
                line[x] = qRgba(0, 0, 0, 0);
    }
    return glyph;
}

QImage GreyedGlyph(const QImage &glyph)
{
    // Dark parts become mid grey and light parts light grey, the way a disabled control is drawn.
    QImage grey = glyph.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < grey.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(grey.scanLine(y));
        for (int x = 0; x < grey.width(); ++x) {
            if (qAlpha(line[x]) == 0)
                continue;
            const int v = 128 + qGray(line[x]) / 2;
            line[x] = qRgba(v, v, v, qAlpha(line[x]));
        }
    }
    return grey;
}
