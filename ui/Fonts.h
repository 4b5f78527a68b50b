// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>

// The program's face "宋体" at a pixel height, with CJK fallbacks for machines that lack it. The first fallback
// (WenQuanYi Zen Hei, the font the Debian package depends on) draws every character of the program's texts and of
// the demo device; WenQuanYi Micro Hei comes last because its glyph for "℃" is blank.
QFont SongFont(int pixelSize, bool bold = false);
