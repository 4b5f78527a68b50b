// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Fonts.h"

#include <QStringList>

QFont SongFont(int pixelSize, bool bold)
{
    QFont font;
    font.setFamilies(
        QStringList { QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("WenQuanYi Zen Hei"),
            QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Micro Hei") });
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}
