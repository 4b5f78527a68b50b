// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>

// Where the lines of one received chunk stand on the chart's time axis (seconds since program start). The receive
// thread hands over what it read in chunks, so the arrival time of a single line is not known; the lines of a chunk
// are spread evenly over the time since the previous chunk arrived, the last one at the chunk's own arrival. A steady
// device then draws a steady trace instead of steps. The spread reaches at most MaxArrivalSpread back, so a chunk
// after a pause is not smeared over the pause; the first chunk, and a chunk dated before the previous one (the clock
// was set back), stand at their arrival time.
constexpr double MaxArrivalSpread = 0.1;

struct TArrivalSpan {
    double Start = 0; // where the spread begins; the first line stands one step after it
    double Arrival = 0;
};

TArrivalSpan ArrivalSpan(double arrival, double previousArrival, bool hasPrevious);

// Time of line `line` (from 0) of `lines` spread lines: Start + (Arrival - Start) * (line + 1) / lines. Lines past
// the spread ones (the empty line that follows a chunk ending in a line break) stand at the arrival time.
double LineArrivalTime(const TArrivalSpan &span, std::size_t line, std::size_t lines);
