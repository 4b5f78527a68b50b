// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the send history loader: any bytes must load without a crash into entries free of line breaks and NULs,
// duplicate removal must keep first occurrences only, and writing the entries back must load the same entries again.
// The compact list that the history window holds must agree with these rules entry for entry and byte for byte.
// fuzz-sources: console/history/HistoryMemory.cpp
#include "console/history/HistoryLines.h"
#include "console/history/HistoryList.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <unordered_set>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string_view bytes(reinterpret_cast<const char *>(data), size);
    std::vector<std::string> entries = ParseHistoryEntries(bytes);
    for (const std::string &entry : entries) {
        if (entry.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
            std::abort();
    }
    std::vector<std::string> unique = RemoveDuplicateEntries(entries);
    std::unordered_set<std::string> distinct(entries.begin(), entries.end());
    if (unique.size() != distinct.size() || RemoveDuplicateEntries(unique) != unique)
        std::abort();
    if (!unique.empty() && unique.front() != entries.front())
        std::abort();
    if (ParseHistoryEntries(FormatHistoryEntries(unique)) != unique)
        std::abort();

    THistoryList list = THistoryList::Parse(std::make_shared<const std::string>(bytes));
    THistoryList uniqueList = list.WithoutDuplicates();
    if (list.Entries() != entries || uniqueList.Entries() != unique
        || *uniqueList.Bytes() != FormatHistoryEntries(unique))
        std::abort();
    if (!unique.empty()
        && uniqueList.Without(0).Entries() != std::vector<std::string>(unique.begin() + 1, unique.end()))
        std::abort();
    return 0;
}
