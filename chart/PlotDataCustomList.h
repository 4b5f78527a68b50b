// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>

// A channel's point store: points in adding order, each an X, a Y and a flag word (PlotPointFlags).
// Indexes outside 0 ... Count() - 1 raise "Index out of Bounds".
class TPlotDataCustomList
{
public:
    virtual ~TPlotDataCustomList() = default;

    virtual int Count() const = 0;
    virtual double X(int index) const = 0;
    virtual double Y(int index) const = 0;
    virtual uint16_t Flags(int index) const = 0;
    virtual void SetFlags(int index, uint16_t flags) = 0;

    // Appends a point and returns its index. Raises when the store cannot take it; the store is then unchanged.
    virtual int Add(double x, double y, uint16_t flags) = 0;
    virtual void Clear() = 0;

    // 0, or the fixed size of a ring that overwrites its oldest point once full.
    virtual int RingBufferSize() const = 0;
    virtual void SetRingBufferSize(int size) = 0;

    // Bytes held for points, room for later points included.
    virtual std::size_t MemoryBytes() const = 0;
};
