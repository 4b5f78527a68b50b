#include "console/PlotQueue.h"

#include "core/CrLfLines.h"

#include <algorithm>
#include <cstring>

TPlotQueue::TPlotQueue() = default;
TPlotQueue::~TPlotQueue() = default;

void TPlotQueue::AppendChunk(std::string_view chunk, double arrival)
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

    // The lines exactly as FirstLine will cut them. A chunk that ends in a line break leaves an empty last line,
    // which is not spread.
    TChunk record;
    const char *limit = dst + size;
    for (const char *start = dst; start < limit; start = CrLfLineEnd(start, limit) + 2)
        ++record.Lines;
    const bool emptyLast = chunk.size() >= 2 && chunk.substr(chunk.size() - 2) == "\r\n";
    record.Spread = emptyLast ? record.Lines - 1 : record.Lines;
    record.Span = ArrivalSpan(arrival, FLastArrival, FHasArrival);
    FChunks.push_back(record);
    FLastArrival = arrival;
    FHasArrival = true;

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

double TPlotQueue::FirstLineTime() const
{
    if (FChunks.empty())
        return 0;
    const TChunk &chunk = FChunks.front();
    return LineArrivalTime(chunk.Span, FLineInChunk, chunk.Spread);
}

void TPlotQueue::RemoveFirstLine()
{
    if (Empty())
        return;
    if (++FLineInChunk == FChunks.front().Lines) {
        FChunks.pop_front();
        FLineInChunk = 0;
    }
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
