// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decoders/ArrivalSpread.h"
#include "decoders/SampleDecoder.h"

#include <cstddef>
#include <span>
#include <vector>

// Dates the items (lines, frames) that the reads complete. An item takes the time of the run holding the byte that
// completed it; the items one run completes are spread evenly over the time since the run before it, at most
// MaxArrivalSpread back (ArrivalSpan). The time of the last run is kept from read to read.
//
// Every item gets a time of its own, later than the item before by at least MinItemStep, across reads as well: the
// values of two items never share a time, so nothing that pairs values by their time (a CSV row, an XY point) joins
// two items. Where the spread gives items less room (several items in the first run, a run dated no later than the
// one before, more than a million items a second) the later ones stand MinItemStep apart, after the run's time.
class TArrivalClock
{
public:
    // The least distance between two items' times, in seconds: the resolution to which item times are written out.
    static constexpr double MinItemStep = 1e-6;

    // The items of the last read grouped by the run that completed them, with the span their times are spread over:
    // before MinItemStep moves them, item First + k of Count stands at LineArrivalTime(Span, k, Count).
    struct TRunItems {
        std::size_t First = 0;
        std::size_t Count = 0;
        TArrivalSpan Span;
    };

    // `ends` holds, for each item the read completes in order, the position just past the byte that completed it
    // (counted from the read's start, nondecreasing, at most `size`). `runs` are the read's runs as a decoder takes
    // them (none: the read came at `fallbackTime`). Sets times[k] to the time of item k and, when `groups` is given,
    // fills it with the runs that completed items.
    void Date(std::span<const std::size_t> ends, std::size_t size, std::span<const TTimedRun> runs, double fallbackTime,
        std::vector<double> &times, std::vector<TRunItems> *groups = nullptr);

    // The time of the last run taken.
    double LastRunTime() const { return FLastTime; }

private:
    double FLastTime = 0;
    bool FHasTime = false;
    double FLastItem = 0;
    bool FHasItem = false;
};
