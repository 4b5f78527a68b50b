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
class TArrivalClock
{
public:
    // `ends` holds, for each item the read completes in order, the position just past the byte that completed it
    // (counted from the read's start, nondecreasing, at most `size`). `runs` are the read's runs as a decoder takes
    // them (none: the read came at `fallbackTime`). Sets times[k] to the time of item k.
    void Date(std::span<const std::size_t> ends, std::size_t size, std::span<const TTimedRun> runs, double fallbackTime,
        std::vector<double> &times);

private:
    double FLastTime = 0;
    bool FHasTime = false;
};
