// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstring>

// End of the line that starts at `start` in text whose lines are separated by CR LF: the position of the CR of the
// first CR LF pair in [start, limit), or `limit` when there is none. A line start always follows the LF of the
// previous pair (or is the first byte), so an LF right at `start` cannot end the line.
inline const char *CrLfLineEnd(const char *start, const char *limit)
{
    const char *p = start;
    while (p < limit) {
        const char *lf = static_cast<const char *>(std::memchr(p, '\n', static_cast<std::size_t>(limit - p)));
        if (!lf)
            break;
        if (lf > start && lf[-1] == '\r')
            return lf - 1;
        p = lf + 1;
    }
    return limit;
}
