// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>

// Asks the system to back the given memory with large pages where it can. Meant for buffers of many megabytes that
// are filled right after being allocated (a history file's bytes, its index): a fresh 50 MB buffer in small pages
// costs tens of thousands of page faults, which take longer than reading the file. Only the part of the range that
// whole large pages cover is advised; memory already touched stays as it is. A hint: nothing fails if it is not
// taken.
void AdviseLargePages(const void *data, std::size_t size);
