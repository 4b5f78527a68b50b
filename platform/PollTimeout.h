// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <chrono>

// Milliseconds from `now` to `deadline` as a poll timeout: rounded up so that a wait never ends before the deadline,
// 0 for a deadline that has passed, at most an hour.
inline int MillisecondsUntil(std::chrono::steady_clock::time_point now, std::chrono::steady_clock::time_point deadline)
{
    if (deadline <= now)
        return 0;
    auto ms = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
    return static_cast<int>(std::min<long long>(ms, 1000 * 60 * 60));
}
