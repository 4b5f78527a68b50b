#pragma once

#include <QFont>

// The program's face "宋体" at a pixel height, with CJK fallbacks for machines that lack it.
QFont SongFont(int pixelSize, bool bold = false);
