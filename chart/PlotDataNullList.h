#pragma once

#include "chart/PlotDataCustomList.h"

#include <vector>

// The standard point store: X, Y and flag words in three contiguous arrays (18 bytes a point), with a ring start for
// ring mode, and a summary of each block of BlockSize array slots (X and Y range, flags seen) so that a paint can take
// a block that falls within one pixel column at once. Outside ring mode a full store grows by 4 places up to a capacity
// of 8, by 16 up to 64 and by a quarter of itself beyond, never past MaxCount(); points are never discarded. In ring
// mode the store grows the same way up to the ring's size, and once full each new point takes the place of the oldest.
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
    double Y(int index) const override { return FY[Slot(index)]; }
    uint16_t Flags(int index) const override { return FFlags[Slot(index)]; }
    void SetFlags(int index, uint16_t flags) override;

    int Add(double x, double y, uint16_t flags) override;
    // Calls visit(x, y, flags) for the points first to last, in order; both must be valid indexes.
    template <class TVisit> void ForEach(int first, int last, TVisit &&visit) const
    {
        int slot = Slot(first);
        const int end = Slot(last);
        for (;;) {
            visit(FX[slot], FY[slot], FFlags[slot]);
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
                    && whole(block, FX[slot], FY[slot], FY[slot + BlockSize - 1])) {
                    slot += BlockSize;
                    if (slot == FCapacity)
                        slot = 0;
                    remaining -= BlockSize;
                    continue;
                }
            }
            visit(FX[slot], FY[slot], FFlags[slot]);
            if (++slot == FCapacity)
                slot = 0;
            --remaining;
        }
    }
    void Clear() override;

    int RingBufferSize() const override { return FRingBufferSize; }
    void SetRingBufferSize(int size) override;

    std::size_t MemoryBytes() const override;

    int Capacity() const { return FCapacity; }
    int MaxCount() const { return FMaxCount; }
    // Lowers (or restores) the capacity limit; tests use it to reach the limit without gigabytes.
    void SetMaxCount(int maxCount) { FMaxCount = maxCount; }

private:
    static constexpr std::size_t BytesPerPoint = 2 * sizeof(double) + sizeof(uint16_t);

    int Slot(int index) const;
    void Grow();
    void Reallocate(int capacity);
    void FreeArrays();
    void Summarize(int slot, double x, double y, uint16_t flags);

    double *FX = nullptr;
    double *FY = nullptr;
    uint16_t *FFlags = nullptr;
    std::vector<TBlockSummary> FBlocks; // one for each block the capacity reaches into
    int FCount = 0;
    int FCapacity = 0;
    int FStart = 0; // ring start: the array slot of index 0
    int FRingBufferSize = 0;
    int FMaxCount = DefaultMaxCount;
};
