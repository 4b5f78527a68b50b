#include "console/PlotQueue.h"

#include <algorithm>
#include <cstring>

namespace
{

// End of the line that starts at `start`: the CR of the first CR LF pair. A line start always follows the LF of a
// pair (or is the first byte), so an LF right at `start` cannot end the line.
const char *LineEnd(const char *start, const char *limit)
{
    const char *p = start;
    while (p < limit) {
        const char *lf = static_cast<const char *>(std::memchr(p, '\n', static_cast<std::size_t>(limit - p)));
        if (!lf)
            break;
        if (lf > start && lf[-1] == '\r')
            return lf - 1;
        p = lf + 1;
    }
    return limit;
}

} // namespace

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
    const char *end = LineEnd(start, block.Data.get() + block.Used);
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
