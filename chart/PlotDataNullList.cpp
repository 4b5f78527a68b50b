#include "chart/PlotDataNullList.h"

#include "chart/PlotError.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>

TPlotDataNullList::~TPlotDataNullList()
{
    FreeArrays();
}

int TPlotDataNullList::Slot(int index) const
{
    if (index < 0 || index >= FCount)
        throw EPlotError("Index out of Bounds");
    int slot = index + FStart;
    return slot >= FCapacity ? slot - FCapacity : slot;
}

void TPlotDataNullList::FreeArrays()
{
    std::free(FX);
    std::free(FY);
    std::free(FFlags);
    FX = FY = nullptr;
    FFlags = nullptr;
    FCapacity = 0;
    FBlocks.clear();
    FBlocks.shrink_to_fit();
}

// Grows or shrinks all three arrays. realloc lets large arrays move by remapping pages instead of copying, so growth
// does not need the old and the new array at once. When one array cannot be had, the capacity stays as it was (the
// arrays that did grow are merely larger than needed) and std::bad_alloc is raised.
void TPlotDataNullList::Reallocate(int capacity)
{
    auto resize = [capacity](auto *&array) {
        using T = std::remove_reference_t<decltype(*array)>;
        void *grown = std::realloc(array, static_cast<std::size_t>(capacity) * sizeof(T));
        if (!grown && capacity > 0)
            throw std::bad_alloc();
        array = static_cast<T *>(grown);
    };
    if (capacity == 0) {
        FreeArrays();
        return;
    }
    resize(FX);
    resize(FY);
    resize(FFlags);
    FBlocks.resize(static_cast<std::size_t>((capacity + BlockSize - 1) >> BlockShift));
    FCapacity = capacity;
}

void TPlotDataNullList::Grow()
{
    int delta = FCapacity > 64 ? FCapacity / 4 : FCapacity > 8 ? 16 : 4;
    long long wanted = static_cast<long long>(FCapacity) + delta;
    if (FRingBufferSize > 0 && wanted > FRingBufferSize)
        wanted = FRingBufferSize;
    if (wanted > FMaxCount) {
        if (FCapacity >= FMaxCount)
            throw EPlotError("Exceed Maximum List Size");
        wanted = FMaxCount;
    }
    Reallocate(static_cast<int>(wanted));
}

int TPlotDataNullList::Add(double x, double y, uint16_t flags)
{
    int slot;
    if (FRingBufferSize > 0 && FCount == FRingBufferSize) {
        slot = FStart;
        FStart = FStart + 1 == FCapacity ? 0 : FStart + 1;
    } else {
        if (FCount == FCapacity)
            Grow();
        slot = FCount + FStart;
        if (slot >= FCapacity)
            slot -= FCapacity;
        ++FCount;
    }
    FX[slot] = x;
    FY[slot] = y;
    FFlags[slot] = flags;
    Summarize(slot, x, y, flags);
    return FCount - 1;
}

// A block's summary starts afresh when its first slot is written and is whole once all its slots have been written
// in turn since; in a ring that wraps, a block is then never a mix of the newest and the oldest points.
void TPlotDataNullList::Summarize(int slot, double x, double y, uint16_t flags)
{
    TBlockSummary &block = FBlocks[static_cast<std::size_t>(slot >> BlockShift)];
    if ((slot & (BlockSize - 1)) == 0)
        block = TBlockSummary { 0 };
    else if (block.Written < 0)
        return;
    ++block.Written;
    block.FlagsSeen |= flags;
    if (x != x)
        block.HasNanX = true;
    if (x < block.XMin)
        block.XMin = x;
    if (x > block.XMax)
        block.XMax = x;
    if (y > block.YMax)
        block.YMax = y;
    if (y < block.YMin)
        block.YMin = y;
}

void TPlotDataNullList::SetFlags(int index, uint16_t flags)
{
    const int slot = Slot(index);
    FFlags[slot] = flags;
    FBlocks[static_cast<std::size_t>(slot >> BlockShift)].FlagsSeen |= flags;
}

void TPlotDataNullList::Clear()
{
    FCount = 0;
    FStart = 0;
    if (FRingBufferSize == 0)
        FreeArrays();
}

void TPlotDataNullList::SetRingBufferSize(int size)
{
    if (size < 0)
        size = 0;
    if (size == FRingBufferSize)
        return;
    if (FStart != 0)
        Clear();
    if (size > 0) {
        if (FCount > size) {
            // Keep the newest points.
            int drop = FCount - size;
            std::memmove(FX, FX + drop, sizeof(double) * size);
            std::memmove(FY, FY + drop, sizeof(double) * size);
            std::memmove(FFlags, FFlags + drop, sizeof(uint16_t) * size);
            FCount = size;
            for (TBlockSummary &block : FBlocks)
                block = TBlockSummary();
        }
        // A ring grows like the plain store up to its size, so a large ring costs memory only as it fills.
        if (FCapacity > size)
            Reallocate(size);
    }
    FRingBufferSize = size;
}

std::size_t TPlotDataNullList::MemoryBytes() const
{
    return static_cast<std::size_t>(FCapacity) * BytesPerPoint;
}
