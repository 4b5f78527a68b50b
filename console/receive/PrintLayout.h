// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <vector>

// Printed received text, in printer pixels at PrintResolution dots per inch: each line's top-left corner at
// x = PrintLeft, the first line of a page at PrintTop, each next one PrintLineStep lower; once a line has been placed
// at or below PrintLastTop (page bottom 2600 less the bottom margin 40) the next line starts a new page.
inline constexpr int PrintResolution = 300;
inline constexpr int PrintFontPoints = 12;
inline constexpr int PrintLeft = 40;
inline constexpr int PrintTop = 40;
inline constexpr int PrintLineStep = 100;
inline constexpr int PrintLastTop = 2600 - 40;

struct TPrintPlacement {
    std::size_t Line;
    int Page; // 0 = first page
    int Top;
};

// Where each of `lineCount` lines goes. A page is started only for a line that goes on it, so a text that fills its
// last page exactly ends there.
std::vector<TPrintPlacement> LayoutPrintLines(std::size_t lineCount);

// Pages the lines take (at least one: an empty text prints one page without lines).
int PrintPageCount(std::size_t lineCount);
