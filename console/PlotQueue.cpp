#include "console/PlotQueue.h"

#include "core/CrLfLines.h"

#include <algorithm>
#include <cstring>

TPlotQueue::TPlotQueue() = default;
TPlotQueue::~TPlotQueue() = default;

void TPlotQueue::AppendChunk(std::string_view chunk)
{
    const std::size_t size = chunk.size() + 2;
    if (FBlocks.empty() || FBlocks.back().Size - FBlocks.back().Used < size) {
        TBlock block;
        block.Size = std::max(BlockSize, size);
        block.Data.reset(new char[block.Size]);
        FBlocks.push_back(std::move(block));
    }
    TBlock &block = FBlocks.back();
    char *dst = block.Data.get() + block.Used;
    std::memcpy(dst, chunk.data(), chunk.size());
    dst[chunk.size()] = '\r';
    dst[chunk.size() + 1] = '\n';
    block.Used += size;
    FSize += size;
}

std::string_view TPlotQueue::FirstLine() const
{
    if (Empty())
        return {};
    const TBlock &block = FBlocks.front();
    const char *start = block.Data.get() + FHead;
    const char *end = CrLfLineEnd(start, block.Data.get() + block.Used);
    return std::string_view(start, static_cast<std::size_t>(end - start));
}

void TPlotQueue::RemoveFirstLine()
{
    if (Empty())
        return;
    const std::size_t taken = FirstLine().size() + 2;
    FHead += taken;
    FSize -= taken;
    if (FHead >= FBlocks.front().Used) {
        FHead = 0;
        if (FBlocks.size() == 1)
            FBlocks.front().Used = 0; // keep the last block for what comes next
        else
            FBlocks.pop_front();
    }
}

std::size_t TPlotQueue::Capacity() const
{
    std::size_t total = 0;
    for (const TBlock &block : FBlocks)
        total += block.Size;
    return total;
}
