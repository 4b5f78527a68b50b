// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PictureGlyphs.h"

#include <gtest/gtest.h>

namespace
{

const char *const GlyphNames[] = { "AUTO", "PAUSE", "SCROLL", "ZOOM", "ZOOMOUT", "ZOOMIN", "SELECT", "SCROLLBOX",
    "CURSOR", "PROPERTIES", "COPY", "SAVE", "PRINTER", "PREVIEW" };

TEST(PictureGlyphs, EveryToolbarGlyphExistsInBothSizesWithTealTransparent)
{
    for (const char *base : GlyphNames) {
        for (const auto &[prefix, size] : { std::pair { "", 24 }, std::pair { "SMALL", 16 } }) {
            const QString name = QString::fromLatin1(prefix) + QString::fromLatin1(base);
            SCOPED_TRACE(name.toStdString());
            // The stored bitmap itself has a teal background.
            LoadGlyph(name); // registers the resources on first use
            const QImage stored(QStringLiteral(":/glyphs/") + name);
            ASSERT_EQ(stored.size(), QSize(size, size));
            EXPECT_EQ(stored.pixel(0, 0), GlyphTransparentColor);

            const QImage glyph = LoadGlyph(name);
            ASSERT_EQ(glyph.size(), QSize(size, size));
            int transparent = 0, opaque = 0;
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x) {
                    const QRgb c = glyph.pixel(x, y);
                    if (qAlpha(c) == 0)
                        ++transparent;
                    else if (qAlpha(c) == 255 && (c | 0xFF000000) != GlyphTransparentColor)
                        ++opaque;
                    else
                        ADD_FAILURE() << "teal or half-transparent pixel at " << x << "," << y;
                }
            EXPECT_GT(transparent, size * size / 8);
            EXPECT_GT(opaque, size * size / 8);
        }
    }
}

TEST(PictureGlyphs, UnknownNameAndGreyedGlyph)
{
    EXPECT_TRUE(LoadGlyph(QStringLiteral("NOSUCHGLYPH")).isNull());
    const QImage glyph = LoadGlyph(QStringLiteral("AUTO"));
    const QImage grey = GreyedGlyph(glyph);
    ASSERT_EQ(grey.size(), glyph.size());
    for (int y = 0; y < glyph.height(); ++y)
        for (int x = 0; x < glyph.width(); ++x) {
            const QRgb g = grey.pixel(x, y);
            EXPECT_EQ(qAlpha(g), qAlpha(glyph.pixel(x, y)));
            if (qAlpha(g) != 0) {
                EXPECT_EQ(qRed(g), qGreen(g));
                EXPECT_EQ(qGreen(g), qBlue(g));
            }
        }
}

} // namespace
