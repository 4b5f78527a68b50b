// SPDX-License-Identifier: GPL-3.0-or-later
// The program's font draws every character of its own texts and of what the demo device sends: none of them falls to
// a font that claims the character but has a blank glyph for it.
#include "ui/Fonts.h"

#include <QDirIterator>
#include <QFile>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <QSet>
#include <QTextLayout>
#include <algorithm>
#include <gtest/gtest.h>

namespace
{

// Every character beyond ASCII in the program's sources (its captions, messages and the demo device's texts; the
// comments are ASCII).
QList<char32_t> ProgramCharacters()
{
    const QString root = QStringLiteral(KELVARA_TEST_SUPPORT_DIR "/../..");
    QSet<char32_t> found;
    for (const char *folder :
        { "app", "auxwin", "chart", "comm", "console", "core", "platform", "settings", "tools", "ui" }) {
        QDirIterator files(root + u'/' + QLatin1String(folder), { QStringLiteral("*.cpp"), QStringLiteral("*.h") },
            QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            QFile file(files.next());
            if (!file.open(QIODevice::ReadOnly))
                continue;
            for (char32_t c : QString::fromUtf8(file.readAll()).toUcs4())
                if (c > 0x7F && !QChar::isSpace(c))
                    found.insert(c);
        }
    }
    QList<char32_t> characters(found.begin(), found.end());
    std::sort(characters.begin(), characters.end());
    return characters;
}

bool DrawsSomething(const QFont &font, const QString &text)
{
    QImage image(64, 64, QImage::Format_Grayscale8);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRect(0, 0, 64, 64), Qt::AlignCenter, text);
    painter.end();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 255)
                return true;
    return false;
}

// The font the text layout picks for the text: the first of the families, or the system's fallback.
QString FamilyUsed(const QFont &font, const QString &text)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    return runs.isEmpty() ? QStringLiteral("none") : runs.front().rawFont().familyName();
}

TEST(Fonts, TheProgramsFontDrawsEveryCharacterOfItsTexts)
{
    const QList<char32_t> characters = ProgramCharacters();
    ASSERT_TRUE(characters.contains(U'℃') && characters.contains(U'串')) << "the sources were not found";
    for (bool bold : { false, true }) {
        const QFont font = SongFont(13, bold);
        QStringList blank;
        for (char32_t c : characters) {
            const QString text = QString::fromUcs4(&c, 1);
            if (!DrawsSomething(font, text))
                blank.append(text + u' ' + FamilyUsed(font, text));
        }
        EXPECT_TRUE(blank.isEmpty()) << (bold ? "bold: " : "regular: ")
                                     << blank.join(QStringLiteral(", ")).toStdString();
    }
}

} // namespace
