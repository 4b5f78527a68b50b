// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>

// The process's resident memory, in bytes (0 when /proc cannot tell).
std::size_t ResidentBytes();

// Whether resident memory tells what the program holds: under AddressSanitizer freed memory waits in a quarantine (a
// quarter of a gigabyte at first), so growth there proves nothing and tests of memory bounds check the plain build.
bool ResidentMemoryIsMeasurable();
