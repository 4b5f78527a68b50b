#pragma once

#include "chart/PlotDataCustomList.h"

// The standard point store: X, Y and flag words in three contiguous arrays (18 bytes a point), with a ring start for
// ring mode. Outside ring mode a full store grows by 4 places up to a capacity of 8, by 16 up to 64 and by a quarter
// of itself beyond, never past MaxCount(); points are never discarded. In ring mode the store grows the same way up to
// the ring's size, and once full each new point takes the place of the oldest.
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
    void SetFlags(int index, uint16_t flags) override { FFlags[Slot(index)] = flags; }

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

    double *FX = nullptr;
    double *FY = nullptr;
    uint16_t *FFlags = nullptr;
    int FCount = 0;
    int FCapacity = 0;
    int FStart = 0; // ring start: the array slot of index 0
    int FRingBufferSize = 0;
    int FMaxCount = DefaultMaxCount;
};
