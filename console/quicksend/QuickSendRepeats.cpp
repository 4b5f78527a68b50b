// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/quicksend/QuickSendRepeats.h"

#include <algorithm>

void TQuickSendRepeats::Start(std::size_t entry, int32_t intervalMs, int64_t now)
{
    const int64_t interval = std::max<int64_t>(intervalMs, 1);
    FRunning[entry] = { interval, now + interval };
}

void TQuickSendRepeats::Stop(std::size_t entry)
{
    FRunning.erase(entry);
}

std::vector<std::size_t> TQuickSendRepeats::TakeDue(int64_t now)
{
    std::vector<std::size_t> due;
    for (auto &[entry, repeat] : FRunning) {
        if (repeat.Due > now)
            continue;
        due.push_back(entry);
        const int64_t missed = (now - repeat.Due) / repeat.Interval;
        repeat.Due += (missed + 1) * repeat.Interval;
    }
    return due;
}

std::optional<int64_t> TQuickSendRepeats::MsUntilNext(int64_t now) const
{
    std::optional<int64_t> next;
    for (const auto &[entry, repeat] : FRunning) {
        const int64_t wait = std::max<int64_t>(repeat.Due - now, 0);
        next = next ? std::min(*next, wait) : wait;
    }
    return next;
}
