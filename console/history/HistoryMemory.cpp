// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/history/HistoryMemory.h"

#include <cstdint>
#include <sys/mman.h>

void AdviseLargePages(const void *data, std::size_t size)
{
    constexpr std::uintptr_t LargePage = 2u << 20;
    auto begin = reinterpret_cast<std::uintptr_t>(data);
    std::uintptr_t first = (begin + LargePage - 1) & ~(LargePage - 1);
    std::uintptr_t last = (begin + size) & ~(LargePage - 1);
    if (last > first)
        ::madvise(reinterpret_cast<void *>(first), last - first, MADV_HUGEPAGE);
}
