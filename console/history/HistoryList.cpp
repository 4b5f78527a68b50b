// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/history/HistoryList.h"

#include "console/history/HistoryMemory.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>

namespace
{

const std::shared_ptr<const std::string> &EmptyBlock()
{
    static const std::shared_ptr<const std::string> empty = std::make_shared<const std::string>();
    return empty;
}

// The first `c` in [from, end), or end.
const char *Find(const char *from, const char *end, char c)
{
    const void *found = std::memchr(from, c, static_cast<std::size_t>(end - from));
    return found ? static_cast<const char *>(found) : end;
}

// A set of entries seen so far, for telling duplicates apart in one pass over millions of entries: open addressing
// over a power-of-two table of entry numbers, with a part of each entry's hash kept beside its number so that most
// probes never touch the entry's bytes. The entries are read through `entryOf`; the set holds no bytes of its own.
template <typename EntryOf> class TEntrySet
{
public:
    TEntrySet(std::size_t expected, EntryOf entryOf)
        : FEntryOf(entryOf)
    {
        Allocate(std::bit_ceil(std::max<std::size_t>(16, expected + expected / 2)));
    }
    ~TEntrySet() { std::free(FSlots); }
    TEntrySet(const TEntrySet &) = delete;
    TEntrySet &operator=(const TEntrySet &) = delete;

    // Adds entries first to last - 1 in order, each unless an equal entry is in the set already, and calls
    // added(number, whether it was added) for each. The hashes are computed a few entries ahead and their slots
    // fetched early, so that the misses of the cache on a table of many megabytes overlap instead of queueing.
    template <typename Added> void InsertRange(std::size_t first, std::size_t last, Added added)
    {
        constexpr std::size_t Ahead = 16;
        std::size_t hashes[Ahead];
        for (std::size_t i = first; i < last && i < first + Ahead; ++i)
            hashes[i % Ahead] = Fetch(i);
        for (std::size_t i = first; i < last; ++i) {
            std::size_t hash = hashes[i % Ahead];
            if (i + Ahead < last)
                hashes[i % Ahead] = Fetch(i + Ahead);
            added(i, Insert(i, hash));
        }
    }

private:
    // Eight bytes a slot: entry numbers fit 32 bits, as a list view counts its rows in an int.
    struct TSlot {
        uint32_t Tag = 0;
        uint32_t Number = 0;
    };

    std::size_t Fetch(std::size_t number) const
    {
        std::size_t hash = std::hash<std::string_view> {}(FEntryOf(number));
        __builtin_prefetch(&FSlots[hash & FMask]);
        return hash;
    }

    bool Insert(std::size_t number, std::size_t hash)
    {
        std::string_view entry = FEntryOf(number);
        auto tag = static_cast<uint32_t>(hash >> 32) | 1u; // never 0, the mark of a free slot
        for (std::size_t slot = hash & FMask;; slot = (slot + 1) & FMask) {
            TSlot &s = FSlots[slot];
            if (s.Tag == 0) {
                if (++FCount * 4 > (FMask + 1) * 3)
                    Grow();
                Place(tag, number, hash);
                return true;
            }
            if (s.Tag == tag && FEntryOf(s.Number) == entry)
                return false;
        }
    }

    void Place(uint32_t tag, std::size_t number, std::size_t hash)
    {
        std::size_t slot = hash & FMask;
        while (FSlots[slot].Tag != 0)
            slot = (slot + 1) & FMask;
        FSlots[slot] = { tag, static_cast<uint32_t>(number) };
    }

    // Zeroed slots straight from the system (a free slot is all zero), in large pages.
    void Allocate(std::size_t count)
    {
        FSlots = static_cast<TSlot *>(std::calloc(count, sizeof(TSlot)));
        if (!FSlots)
            throw std::bad_alloc();
        AdviseLargePages(FSlots, count * sizeof(TSlot));
        FMask = count - 1;
    }

    void Grow()
    {
        TSlot *old = FSlots;
        std::size_t oldCount = FMask + 1;
        Allocate(oldCount * 2);
        for (std::size_t i = 0; i < oldCount; ++i) {
            if (old[i].Tag != 0)
                Place(old[i].Tag, old[i].Number, std::hash<std::string_view> {}(FEntryOf(old[i].Number)));
        }
        std::free(old);
    }

    EntryOf FEntryOf;
    TSlot *FSlots = nullptr;
    std::size_t FMask = 0;
    std::size_t FCount = 0;
};

} // namespace

THistoryList::THistoryList(std::shared_ptr<const std::string> block, std::vector<std::size_t> starts)
    : FBlock(std::move(block))
    , FStarts(std::move(starts))
{
}

THistoryList THistoryList::Parse(std::shared_ptr<const std::string> fileBytes)
{
    if (!fileBytes)
        return {};
    const char *begin = fileBytes->data();
    const char *end = Find(begin, begin + fileBytes->size(), '\0');

    // While every entry so far ends in CR LF, the entries are where they are in the file; from the first other line
    // end on they are copied into a block of their own (`copy`), the earlier ones with them. The CR and the LF
    // searches are each resumed only once passed, so a file of lone CRs or lone LFs costs no more than CR LF pairs.
    // At most one entry per line break and one more: reserved at once (untouched memory costs nothing), so the index
    // is never copied while it grows.
    std::vector<std::size_t> starts;
    starts.reserve(static_cast<std::size_t>(std::count(begin, end, '\n') + std::count(begin, end, '\r')) + 1);
    AdviseLargePages(starts.data(), starts.capacity() * sizeof(std::size_t));
    std::shared_ptr<std::string> copy;
    auto startCopy = [&](const char *upTo) {
        copy = std::make_shared<std::string>();
        copy->reserve(static_cast<std::size_t>(end - begin) + 2 * starts.capacity());
        AdviseLargePages(copy->data(), copy->capacity());
        copy->append(begin, upTo);
    };
    const char *cr = Find(begin, end, '\r');
    const char *lf = Find(begin, end, '\n');
    for (const char *p = begin; p < end;) {
        if (cr < p)
            cr = Find(p, end, '\r');
        if (lf < p)
            lf = Find(p, end, '\n');
        const char *stop = std::min(cr, lf);
        bool crlf = stop == cr && stop + 1 < end && stop[1] == '\n';
        if (!crlf && !copy)
            startCopy(p);
        if (copy) {
            starts.push_back(copy->size());
            copy->append(p, stop);
            copy->append("\r\n");
        } else {
            starts.push_back(static_cast<std::size_t>(p - begin));
        }
        p = crlf ? stop + 2 : stop + 1;
    }
    if (starts.empty())
        return {};
    if (!copy && end != begin + fileBytes->size())
        startCopy(end); // in file form up to a NUL: the bytes after it are not the list's
    starts.push_back(copy ? copy->size() : fileBytes->size());
    if (copy)
        return THistoryList(std::move(copy), std::move(starts));
    return THistoryList(std::move(fileBytes), std::move(starts));
}

THistoryList THistoryList::FromEntries(const std::vector<std::string> &entries)
{
    if (entries.empty())
        return {};
    auto block = std::make_shared<std::string>();
    std::vector<std::size_t> starts;
    starts.reserve(entries.size() + 1);
    for (const std::string &entry : entries) {
        starts.push_back(block->size());
        block->append(entry);
        block->append("\r\n");
    }
    starts.push_back(block->size());
    return THistoryList(std::move(block), std::move(starts));
}

std::vector<std::string> THistoryList::Entries() const
{
    std::vector<std::string> entries;
    entries.reserve(Count());
    for (std::size_t i = 0; i < Count(); ++i)
        entries.emplace_back(Entry(i));
    return entries;
}

const std::shared_ptr<const std::string> &THistoryList::Bytes() const
{
    return FBlock ? FBlock : EmptyBlock();
}

THistoryList THistoryList::Select(const std::vector<std::size_t> &positions) const
{
    if (positions.empty())
        return {};
    std::size_t size = 0;
    for (std::size_t i : positions)
        size += FStarts[i + 1] - FStarts[i];
    auto block = std::make_shared<std::string>();
    block->reserve(size);
    AdviseLargePages(block->data(), block->capacity());
    std::vector<std::size_t> starts;
    starts.reserve(positions.size() + 1);
    AdviseLargePages(starts.data(), starts.capacity() * sizeof(std::size_t));
    for (std::size_t i : positions) {
        starts.push_back(block->size());
        block->append(*FBlock, FStarts[i], FStarts[i + 1] - FStarts[i]);
    }
    starts.push_back(block->size());
    return THistoryList(std::move(block), std::move(starts));
}

THistoryList THistoryList::WithoutDuplicates() const
{
    auto entryOf = [this](std::size_t i) { return Entry(i); };
    TEntrySet<decltype(entryOf)> seen(Count(), entryOf);
    // The positions kept are only written down from the first duplicate on; a list without any is given back as it is.
    std::vector<std::size_t> kept;
    bool duplicates = false;
    seen.InsertRange(0, Count(), [&](std::size_t i, bool added) {
        if (!added && !duplicates) {
            duplicates = true;
            kept.reserve(Count() - 1);
            for (std::size_t before = 0; before < i; ++before)
                kept.push_back(before);
        } else if (added && duplicates) {
            kept.push_back(i);
        }
    });
    if (!duplicates)
        return *this;
    return Select(kept);
}

THistoryList THistoryList::Without(std::size_t index) const
{
    std::vector<std::size_t> kept;
    kept.reserve(Count());
    for (std::size_t i = 0; i < Count(); ++i) {
        if (i != index)
            kept.push_back(i);
    }
    return Select(kept);
}

THistoryList THistoryList::WithNewEntries(const THistoryList &more) const
{
    // Numbers below Count() are this list's entries, the others those of `more`.
    auto entryOf = [this, &more](std::size_t i) { return i < Count() ? Entry(i) : more.Entry(i - Count()); };
    TEntrySet<decltype(entryOf)> present(Count() + more.Count(), entryOf);
    present.InsertRange(0, Count(), [](std::size_t, bool) {});
    std::vector<std::size_t> added;
    present.InsertRange(Count(), Count() + more.Count(), [&](std::size_t i, bool isNew) {
        if (isNew)
            added.push_back(i - Count());
    });
    if (added.empty())
        return *this;

    THistoryList extra = more.Select(added);
    auto block = std::make_shared<std::string>();
    block->reserve(Bytes()->size() + extra.Bytes()->size());
    block->append(*Bytes());
    block->append(*extra.Bytes());
    std::vector<std::size_t> starts = FStarts.empty() ? std::vector<std::size_t> { 0 } : FStarts;
    std::size_t base = starts.back();
    starts.pop_back();
    for (std::size_t start : extra.FStarts)
        starts.push_back(base + start);
    return THistoryList(std::move(block), std::move(starts));
}
