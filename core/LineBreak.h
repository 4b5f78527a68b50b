// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>

// Where received text ends its lines: at CR LF, at a lone LF and at a lone CR. A line that reaches maxLine bytes
// without one ends there with a break of no bytes, so that a device that never ends its lines cannot build one line
// without limit.
struct TLineBreak {
    std::size_t ContentEnd = 0; // offset of the line's end from its start
    std::size_t Next = 0; // offset of the next line's start: ContentEnd plus the break's 0, 1 or 2 bytes
};

// The end of the line that starts at `start`, in text known up to `limit`. A CR that is the last byte known ends its
// line (an LF that arrives later belongs to that break and starts no line of its own). Nothing while the line is
// still open: no break yet and fewer than maxLine bytes.
inline std::optional<TLineBreak> FindLineBreak(const char *start, const char *limit, std::size_t maxLine)
{
    const std::size_t known = static_cast<std::size_t>(limit - start);
    const std::size_t window = known < maxLine ? known : maxLine;
    for (std::size_t i = 0; i < window; ++i) {
        const char c = start[i];
        if (c == '\n')
            return TLineBreak { i, i + 1 };
        if (c == '\r')
            return TLineBreak { i, i + 1 < known && start[i + 1] == '\n' ? i + 2 : i + 1 };
    }
    if (known >= maxLine)
        return TLineBreak { maxLine, maxLine };
    return std::nullopt;
}
