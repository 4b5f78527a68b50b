// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <string>

// Date-time values: days since 30 December 1899 as a double, the time of day as the fraction, from the local
// clock with millisecond resolution. Elapsed seconds are the difference of two values times 86400.
using TDateTime = double;

constexpr double SecondsPerDay = 86400.0;

// The local date-time of a system clock instant, truncated to the millisecond.
TDateTime ToDateTime(std::chrono::system_clock::time_point instant);

TDateTime Now();

// "hhnnss": hours 00-23, minutes and seconds, two digits each, no separators.
std::string FormatHhnnss(std::chrono::system_clock::time_point instant);
