// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the quick-send file reader: any bytes must read without a crash, either into at most 48 entries with valid
// repeat intervals and lengths or into an error with no entries, and entries written back must read as the same
// entries.
// fuzz-sources: core/AnsiText.cpp core/ParseInteger.cpp
#include "console/quicksend/QuickSendFile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const TQuickSendFileResult read = ParseQuickSendFile(std::string_view(reinterpret_cast<const char *>(data), size));
    if (!read.Good()) {
        if (!read.Entries.empty())
            std::abort();
        return 0;
    }
    if (read.Entries.size() > MaxQuickSendEntries)
        std::abort();
    for (const TQuickSendEntry &entry : read.Entries)
        if (entry.RepeatMs < 0 || entry.RepeatMs > MaxQuickSendRepeatMs || !QuickSendNameProblem(entry.Name).empty()
            || entry.Content.size() > MaxQuickSendContentBytes)
            std::abort();
    const TQuickSendFileResult again = ParseQuickSendFile(FormatQuickSendFile(read.Entries));
    if (!again.Good() || again.Entries != read.Entries)
        std::abort();
    return 0;
}
