// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PlotDataNullList.h"

#include "chart/PlotError.h"

#include <algorithm>
#include <bit>
#include <cmath>
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

template <class TRun> void TPlotDataNullList::ForEachSlotRun(int first, int last, TRun &&run) const
{
    int slot = Slot(first);
    long long remaining = static_cast<long long>(last) - first + 1;
    Slot(last);
    while (remaining > 0) {
        const int blockEnd = ((slot >> BlockShift) + 1) << BlockShift;
        const int end = static_cast<int>(std::min<long long>({ blockEnd, FCapacity, slot + remaining }));
        run(slot, end);
        remaining -= end - slot;
        slot = end == FCapacity ? 0 : end;
    }
}

void TPlotDataNullList::CopyY(int first, int last, double *out) const
{
    ForEachSlotRun(first, last, [&](int begin, int end) {
        const TBlockValues &block = FValues[static_cast<std::size_t>(begin >> BlockShift)];
        if (block.WideY) {
            const double *wide = &block.WideY[begin & (BlockSize - 1)];
            out = std::copy(wide, wide + (end - begin), out);
            return;
        }
        const double base = block.YBase;
        for (int slot = begin; slot < end; ++slot)
            *out++ = base + FYOffset[slot];
    });
}

bool TPlotDataNullList::MayCarryFlags(int first, int last, uint16_t mask) const
{
    bool may = false;
    ForEachSlotRun(first, last, [&](int begin, int end) {
        const TBlockValues &block = FValues[static_cast<std::size_t>(begin >> BlockShift)];
        if (!block.WideFlags) {
            may = may || (block.Flags & mask);
            return;
        }
        for (int slot = begin; slot < end && !may; ++slot)
            may = block.WideFlags[slot & (BlockSize - 1)] & mask;
    });
    return may;
}

void TPlotDataNullList::FreeArrays()
{
    std::free(FX);
    std::free(FYOffset);
    FX = nullptr;
    FYOffset = nullptr;
    FCapacity = 0;
    FValues.clear();
    FValues.shrink_to_fit();
    FBlocks.clear();
    FBlocks.shrink_to_fit();
}

// Grows or shrinks both arrays. realloc lets large arrays move by remapping pages instead of copying, so growth
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
    resize(FYOffset);
    const auto blocks = static_cast<std::size_t>((capacity + BlockSize - 1) >> BlockShift);
    FValues.resize(blocks);
    FBlocks.resize(blocks);
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
    // Outside a full ring the slots from here on are free; a full ring overwrites its oldest point.
    const bool fresh = !(FRingBufferSize > 0 && FCount == FRingBufferSize);
    if (!fresh) {
        slot = FStart;
    } else {
        if (FCount == FCapacity)
            Grow();
        slot = FCount + FStart;
        if (slot >= FCapacity)
            slot -= FCapacity;
    }
    // The count moves on last: a block that cannot get its wide array leaves a growing store as it was.
    WriteY(slot, y, fresh);
    WriteFlags(slot, flags, fresh);
    FX[slot] = x;
    Summarize(slot, x, y, flags);
    if (fresh)
        ++FCount;
    else
        FStart = FStart + 1 == FCapacity ? 0 : FStart + 1;
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

int TPlotDataNullList::BlockSlots(int block) const
{
    return std::min(BlockSize, FCapacity - (block << BlockShift));
}

void TPlotDataNullList::WriteY(int slot, double y, bool fresh)
{
    const int block = slot >> BlockShift, place = slot & (BlockSize - 1);
    TBlockValues &values = FValues[static_cast<std::size_t>(block)];
    if (fresh && place == 0) {
        values.WideY.reset();
        values.YBase = std::isfinite(y) ? y : 0;
    }
    if (!values.WideY) {
        // Narrow when a whole offset within 16 bits gives back the very same double.
        const double offset = y - values.YBase;
        if (offset >= -32768 && offset <= 32767) {
            const auto narrow = static_cast<int16_t>(offset);
            if (std::bit_cast<uint64_t>(values.YBase + narrow) == std::bit_cast<uint64_t>(y)) {
                FYOffset[slot] = narrow;
                return;
            }
        }
        values.WideY = std::make_unique<double[]>(BlockSize);
        const int first = block << BlockShift;
        for (int i = 0; i < BlockSlots(block); ++i)
            values.WideY[i] = values.YBase + FYOffset[first + i];
    }
    values.WideY[place] = y;
}

void TPlotDataNullList::WriteFlags(int slot, uint16_t flags, bool fresh)
{
    const int place = slot & (BlockSize - 1);
    TBlockValues &values = FValues[static_cast<std::size_t>(slot >> BlockShift)];
    if (fresh && place == 0) {
        values.WideFlags.reset();
        values.Flags = flags;
    }
    if (!values.WideFlags) {
        if (flags == values.Flags)
            return;
        values.WideFlags = std::make_unique<uint16_t[]>(BlockSize);
        std::fill_n(values.WideFlags.get(), BlockSize, values.Flags);
    }
    values.WideFlags[place] = flags;
}

void TPlotDataNullList::SetFlags(int index, uint16_t flags)
{
    const int slot = Slot(index);
    WriteFlags(slot, flags, false);
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
            // Keep the newest points, stored afresh from the first slot.
            std::vector<double> xs, ys;
            std::vector<uint16_t> flags;
            for (int i = FCount - size; i < FCount; ++i) {
                xs.push_back(X(i));
                ys.push_back(Y(i));
                flags.push_back(Flags(i));
            }
            FCount = 0;
            for (int i = 0; i < size; ++i)
                Add(xs[static_cast<std::size_t>(i)], ys[static_cast<std::size_t>(i)],
                    flags[static_cast<std::size_t>(i)]);
        }
        // A ring grows like the plain store up to its size, so a large ring costs memory only as it fills.
        if (FCapacity > size)
            Reallocate(size);
    }
    FRingBufferSize = size;
}

std::size_t TPlotDataNullList::MemoryBytes() const
{
    std::size_t bytes = static_cast<std::size_t>(FCapacity) * (sizeof(double) + sizeof(int16_t))
        + FValues.size() * (sizeof(TBlockValues) + sizeof(TBlockSummary));
    for (const TBlockValues &values : FValues)
        bytes
            += (values.WideY ? BlockSize * sizeof(double) : 0) + (values.WideFlags ? BlockSize * sizeof(uint16_t) : 0);
    return bytes;
}
