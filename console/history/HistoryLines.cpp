// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/history/HistoryLines.h"

#include <unordered_set>

std::vector<std::string> ParseHistoryEntries(std::string_view bytes)
{
    std::size_t nul = bytes.find('\0');
    if (nul != std::string_view::npos)
        bytes = bytes.substr(0, nul);
    std::vector<std::string> entries;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            entries.emplace_back(bytes.substr(start));
            break;
        }
        entries.emplace_back(bytes.substr(start, end - start));
        start = end + 1;
        if (bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n')
            ++start;
    }
    return entries;
}

std::vector<std::string> RemoveDuplicateEntries(const std::vector<std::string> &entries)
{
    std::vector<std::string> kept;
    std::unordered_set<std::string_view> seen;
    seen.reserve(entries.size());
    for (const std::string &entry : entries) {
        // The views point into `entries`, which outlives the set.
        if (seen.insert(entry).second)
            kept.push_back(entry);
    }
    return kept;
}

std::string FormatHistoryEntries(const std::vector<std::string> &entries)
{
    std::string bytes;
    for (const std::string &entry : entries) {
        bytes.append(entry);
        bytes.append("\r\n");
    }
    return bytes;
}
