// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoders/ArrivalClock.h"

#include <algorithm>

void TArrivalClock::Date(std::span<const std::size_t> ends, std::size_t size, std::span<const TTimedRun> runs,
    double fallbackTime, std::vector<double> &times, std::vector<TRunItems> *groups)
{
    times.resize(ends.size());
    if (groups)
        groups->clear();
    const TTimedRun fallback[1] = { { size, fallbackTime } };
    if (runs.empty())
        runs = fallback;
    std::size_t item = 0;
    for (std::size_t r = 0; r < runs.size(); ++r) {
        const TTimedRun &run = runs[r];
        const std::size_t end = r + 1 == runs.size() ? size : run.End;
        const std::size_t first = item;
        while (item < ends.size() && ends[item] <= end)
            ++item;
        const TArrivalSpan span = ArrivalSpan(run.Time, FLastTime, FHasTime);
        for (std::size_t k = first; k < item; ++k) {
            double time = LineArrivalTime(span, k - first, item - first);
            if (FHasItem)
                time = std::max(time, FLastItem + MinItemStep);
            times[k] = FLastItem = time;
            FHasItem = true;
        }
        if (groups && item > first)
            groups->push_back({ first, item - first, span });
        FLastTime = run.Time;
        FHasTime = true;
    }
}
