// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/receive/PrintLayout.h"

std::vector<TPrintPlacement> LayoutPrintLines(std::size_t lineCount)
{
    std::vector<TPrintPlacement> placements;
    placements.reserve(lineCount);
    int page = 0;
    int y = PrintTop;
    for (std::size_t line = 0; line < lineCount; ++line) {
        if (y > PrintLastTop) {
            ++page;
            y = PrintTop;
        }
        placements.push_back(TPrintPlacement { line, page, y });
        y += PrintLineStep;
    }
    return placements;
}

int PrintPageCount(std::size_t lineCount)
{
    std::vector<TPrintPlacement> placements = LayoutPrintLines(lineCount);
    return placements.empty() ? 1 : placements.back().Page + 1;
}
