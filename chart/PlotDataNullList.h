// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PlotDataCustomList.h"

#include <memory>
#include <vector>

// The standard point store, compact and exact: X in a contiguous array of doubles, Y as a 16-bit offset from the base
// value of its block of BlockSize array slots, and one flag word for a whole block (10 bytes a point). A block that
// holds a Y too far from its base or not a whole step from it (a fraction, NaN, -0) keeps its Ys as doubles instead,
// and one whose flags differ keeps a flag word a point: every point reads back exactly as it was added. A ring start
// serves ring mode, and a summary of each block of BlockSize array slots (X and Y range, flags seen) so that a paint
// can take a block that falls within one pixel column at once. Outside ring mode a full store grows by 4 places up to a
// capacity of 8, by 16 up to 64 and by a quarter of itself beyond, never past MaxCount(); points are never discarded.
// In ring mode the store grows the same way up to the ring's size, and once full each new point takes the place of the
// oldest.
class TPlotDataNullList : public TPlotDataCustomList
{
public:
    // The largest count whose array of 24-byte records fits in 2,147,483,647 bytes.
    static constexpr int DefaultMaxCount = 89478485;

    TPlotDataNullList() = default;
    ~TPlotDataNullList() override;
    TPlotDataNullList(const TPlotDataNullList &) = delete;
    TPlotDataNullList &operator=(const TPlotDataNullList &) = delete;

    int Count() const override { return FCount; }
    double X(int index) const override { return FX[Slot(index)]; }
    double Y(int index) const override { return YAt(Slot(index)); }
    uint16_t Flags(int index) const override { return FlagsAt(Slot(index)); }
    void SetFlags(int index, uint16_t flags) override;

    int Add(double x, double y, uint16_t flags) override;
    // Calls visit(x, y, flags) for the points first to last, in order; both must be valid indexes.
    template <class TVisit> void ForEach(int first, int last, TVisit &&visit) const
    {
        int slot = Slot(first);
        const int end = Slot(last);
        for (;;) {
            visit(FX[slot], YAt(slot), FlagsAt(slot));
            if (slot == end)
                return;
            if (++slot == FCapacity)
                slot = 0;
        }
    }
    // The summary of a block of BlockSize consecutive points.
    struct TBlockSummary {
        int Written = -1; // points added since the block's first slot was written; -1: unknown, never whole
        bool HasNanX = false;
        uint16_t FlagsSeen = 0; // every flag any point of the block has carried
        double XMin = 1e301, XMax = -1e301;
        double YMin = 1e301, YMax = -1e301; // compared as TPlotMinMaxPoint does: NaN never enters
    };
    static constexpr int BlockShift = 8;
    static constexpr int BlockSize = 1 << BlockShift;

    // Like ForEach, but offers each whole block of the range whose points carry no flag and no NaN X to
    // whole(summary, xFirst, yFirst, yLast) first; where that returns false, the block's points are visited one by one.
    template <class TVisit, class TWhole> void ForEachBlock(int first, int last, TVisit &&visit, TWhole &&whole) const
    {
        int slot = Slot(first);
        Slot(last);
        long long remaining = static_cast<long long>(last) - first + 1;
        while (remaining > 0) {
            if ((slot & (BlockSize - 1)) == 0 && remaining >= BlockSize && slot + BlockSize <= FCapacity) {
                const TBlockSummary &block = FBlocks[static_cast<std::size_t>(slot >> BlockShift)];
                if (block.Written == BlockSize && block.FlagsSeen == 0 && !block.HasNanX
                    && whole(block, FX[slot], YAt(slot), YAt(slot + BlockSize - 1))) {
                    slot += BlockSize;
                    if (slot == FCapacity)
                        slot = 0;
                    remaining -= BlockSize;
                    continue;
                }
            }
            visit(FX[slot], YAt(slot), FlagsAt(slot));
            if (++slot == FCapacity)
                slot = 0;
            --remaining;
        }
    }
    // Writes the Ys of points first ... last (both valid indexes) to out[0], out[1], ..., a block at a time: the fast
    // way to gather a window's values for arithmetic over all of them.
    void CopyY(int first, int last, double *out) const;
    // False when no point of first ... last carries a flag of `mask`; true when one may.
    bool MayCarryFlags(int first, int last, uint16_t mask) const;

    void Clear() override;

    int RingBufferSize() const override { return FRingBufferSize; }
    void SetRingBufferSize(int size) override;

    std::size_t MemoryBytes() const override;

    int Capacity() const { return FCapacity; }
    int MaxCount() const { return FMaxCount; }
    // Lowers (or restores) the capacity limit; tests use it to reach the limit without gigabytes.
    void SetMaxCount(int maxCount) { FMaxCount = maxCount; }

private:
    // How a block's Ys and flags are kept.
    struct TBlockValues {
        double YBase = 0; // Y of a slot is YBase + its offset, unless WideY holds the block's Ys
        uint16_t Flags = 0; // the flags of every slot, unless WideFlags holds the block's flags
        std::unique_ptr<double[]> WideY;
        std::unique_ptr<uint16_t[]> WideFlags;
    };

    double YAt(int slot) const
    {
        const TBlockValues &block = FValues[static_cast<std::size_t>(slot >> BlockShift)];
        return block.WideY ? block.WideY[slot & (BlockSize - 1)] : block.YBase + FYOffset[slot];
    }
    uint16_t FlagsAt(int slot) const
    {
        const TBlockValues &block = FValues[static_cast<std::size_t>(slot >> BlockShift)];
        return block.WideFlags ? block.WideFlags[slot & (BlockSize - 1)] : block.Flags;
    }
    // fresh: no slot from this one to the block's end holds a point, so the block's first slot may set a new base.
    void WriteY(int slot, double y, bool fresh);
    void WriteFlags(int slot, uint16_t flags, bool fresh);
    int BlockSlots(int block) const; // slots of the block below the capacity

    int Slot(int index) const;
    // Calls run(begin, end) for the array slots of points first ... last, cut where the ring wraps and where a block
    // ends, in order.
    template <class TRun> void ForEachSlotRun(int first, int last, TRun &&run) const;
    void Grow();
    void Reallocate(int capacity);
    void FreeArrays();
    void Summarize(int slot, double x, double y, uint16_t flags);

    double *FX = nullptr;
    int16_t *FYOffset = nullptr;
    std::vector<TBlockValues> FValues; // one for each block the capacity reaches into
    std::vector<TBlockSummary> FBlocks; // likewise
    int FCount = 0;
    int FCapacity = 0;
    int FStart = 0; // ring start: the array slot of index 0
    int FRingBufferSize = 0;
    int FMaxCount = DefaultMaxCount;
};
