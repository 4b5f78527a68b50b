// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/ResidentMemory.h"

#include <cstdio>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define KELVARA_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KELVARA_ADDRESS_SANITIZER 1
#endif
#endif

std::size_t ResidentBytes()
{
    unsigned long pages = 0;
    unsigned long resident = 0;
    if (FILE *statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%lu %lu", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return static_cast<std::size_t>(resident) * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

bool ResidentMemoryIsMeasurable()
{
#ifdef KELVARA_ADDRESS_SANITIZER
    return false;
#else
    return true;
#endif
}
