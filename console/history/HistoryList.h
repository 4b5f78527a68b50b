// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The send history's entries in the file's own form: one block of bytes holding each entry (GBK) followed by CR LF,
// and the offset where each entry starts. A history of 50 MB takes 50 MB plus 8 bytes per entry, and copies share the
// block, so the list, the file's last known content and the window's model hold the bytes once. The block never
// changes after construction: every edit builds a new list. Plain code without any toolkit; the rules are those of
// HistoryLines (ParseHistoryEntries, RemoveDuplicateEntries, FormatHistoryEntries), for any number of entries up to
// what a list view can show (INT_MAX).
class THistoryList
{
public:
    THistoryList() = default;

    // The entries of a history file's bytes, read as ParseHistoryEntries reads them. Bytes that are already in the
    // file's own form (every entry ended by CR LF, no NUL) are shared, not copied.
    static THistoryList Parse(std::shared_ptr<const std::string> fileBytes);
    static THistoryList FromEntries(const std::vector<std::string> &entries);

    std::size_t Count() const { return FStarts.empty() ? 0 : FStarts.size() - 1; }
    bool Empty() const { return Count() == 0; }
    // Entry `index` (< Count()), without its line break.
    std::string_view Entry(std::size_t index) const
    {
        return std::string_view(*FBlock).substr(FStarts[index], FStarts[index + 1] - FStarts[index] - 2);
    }
    std::vector<std::string> Entries() const;

    // The file's bytes for the entries, as FormatHistoryEntries gives them; never null.
    const std::shared_ptr<const std::string> &Bytes() const;

    // Each distinct entry once, at the position of its first occurrence (RemoveDuplicateEntries). A list without
    // duplicates gives itself back, sharing its bytes.
    THistoryList WithoutDuplicates() const;
    // The list without entry `index` (< Count()).
    THistoryList Without(std::size_t index) const;
    // The list followed by those of `more` that are not among its entries, each once.
    THistoryList WithNewEntries(const THistoryList &more) const;

private:
    THistoryList(std::shared_ptr<const std::string> block, std::vector<std::size_t> starts);
    // A new list of the entries whose positions are given, in that order.
    THistoryList Select(const std::vector<std::size_t> &positions) const;

    std::shared_ptr<const std::string> FBlock;
    // Where each entry starts in the block, and the block's size last; empty for no entries.
    std::vector<std::size_t> FStarts;
};
