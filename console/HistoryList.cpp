#include "console/HistoryList.h"

#include <bit>
#include <cstring>
#include <functional>

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
        , FSlots(std::bit_ceil(std::max<std::size_t>(16, expected * 2)))
        , FMask(FSlots.size() - 1)
    {
    }

    // Adds entry `number` unless an equal entry is in the set already; true when added.
    bool Insert(std::size_t number)
    {
        std::string_view entry = FEntryOf(number);
        std::size_t hash = std::hash<std::string_view> {}(entry);
        auto tag = static_cast<uint32_t>(hash >> 32) | 1u; // never 0, the mark of a free slot
        for (std::size_t slot = hash & FMask;; slot = (slot + 1) & FMask) {
            TSlot &s = FSlots[slot];
            if (s.Tag == 0) {
                if (++FCount * 4 > FSlots.size() * 3)
                    Grow();
                Place(tag, number, hash);
                return true;
            }
            if (s.Tag == tag && FEntryOf(s.Number) == entry)
                return false;
        }
    }

private:
    struct TSlot {
        uint32_t Tag = 0;
        std::size_t Number = 0;
    };

    void Place(uint32_t tag, std::size_t number, std::size_t hash)
    {
        std::size_t slot = hash & FMask;
        while (FSlots[slot].Tag != 0)
            slot = (slot + 1) & FMask;
        FSlots[slot] = { tag, number };
    }

    void Grow()
    {
        std::vector<TSlot> old(FSlots.size() * 2);
        old.swap(FSlots);
        FMask = FSlots.size() - 1;
        for (const TSlot &s : old) {
            if (s.Tag != 0)
                Place(s.Tag, s.Number, std::hash<std::string_view> {}(FEntryOf(s.Number)));
        }
    }

    EntryOf FEntryOf;
    std::vector<TSlot> FSlots;
    std::size_t FMask;
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
    const char *end = begin + fileBytes->size();
    const char *nul = Find(begin, end, '\0');
    bool fileForm = nul == end;
    end = nul;

    // Where each entry starts and ends in the file; the CR and LF searches are each resumed only once passed, so a
    // file of lone CRs or lone LFs costs no more than one of CR LF pairs.
    std::vector<std::size_t> starts;
    std::vector<std::size_t> ends;
    const char *cr = Find(begin, end, '\r');
    const char *lf = Find(begin, end, '\n');
    for (const char *p = begin; p < end;) {
        if (cr < p)
            cr = Find(p, end, '\r');
        if (lf < p)
            lf = Find(p, end, '\n');
        const char *stop = std::min(cr, lf);
        starts.push_back(static_cast<std::size_t>(p - begin));
        ends.push_back(static_cast<std::size_t>(stop - begin));
        if (stop == end) {
            fileForm = false; // the last line has no line break
            break;
        }
        if (stop == cr && stop + 1 < end && stop[1] == '\n') {
            p = stop + 2;
        } else {
            fileForm = false;
            p = stop + 1;
        }
    }
    if (starts.empty())
        return {};
    if (fileForm) {
        ends.clear();
        ends.shrink_to_fit();
        starts.push_back(fileBytes->size());
        return THistoryList(std::move(fileBytes), std::move(starts));
    }

    auto block = std::make_shared<std::string>();
    std::size_t size = 0;
    for (std::size_t i = 0; i < starts.size(); ++i)
        size += ends[i] - starts[i] + 2;
    block->reserve(size);
    for (std::size_t i = 0; i < starts.size(); ++i) {
        std::size_t start = starts[i];
        starts[i] = block->size();
        block->append(begin + start, ends[i] - start);
        block->append("\r\n");
    }
    starts.push_back(block->size());
    return THistoryList(std::move(block), std::move(starts));
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
    std::vector<std::size_t> starts;
    starts.reserve(positions.size() + 1);
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
    std::vector<std::size_t> kept;
    kept.reserve(Count());
    for (std::size_t i = 0; i < Count(); ++i) {
        if (seen.Insert(i))
            kept.push_back(i);
    }
    if (kept.size() == Count())
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
    for (std::size_t i = 0; i < Count(); ++i)
        present.Insert(i);
    std::vector<std::size_t> added;
    for (std::size_t i = 0; i < more.Count(); ++i) {
        if (present.Insert(Count() + i))
            added.push_back(i);
    }
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
