// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/plotfeed/PlotQueue.h"

#include <algorithm>
#include <cstring>

TPlotQueue::TPlotQueue() = default;
TPlotQueue::~TPlotQueue() = default;

void TPlotQueue::AppendChunk(std::string_view chunk, double arrival)
{
    const TTimedRun run[1] = { { chunk.size(), arrival } };
    AppendChunk(chunk, run);
}

void TPlotQueue::AppendChunk(std::string_view chunk, std::span<const TTimedRun> runs)
{
    const double arrival = runs.empty() ? FCutter.LastTime() : runs.back().Time;
    if (FChunkLines && FCutter.LineOpen())
        AppendPiece("\r\n", {}, arrival);
    AppendPiece(chunk, runs, arrival);
    if (FChunkLines)
        AppendPiece("\r\n", {}, arrival);
}

void TPlotQueue::AppendPiece(std::string_view piece, std::span<const TTimedRun> runs, double fallbackTime)
{
    FCutter.Feed(piece, runs, fallbackTime, [this](std::string_view line, double time) { Push(line, time); });
}

void TPlotQueue::Push(std::string_view line, double time)
{
    if (FBlocks.empty() || FBlocks.back().Size - FBlocks.back().Used < line.size()) {
        TBlock block;
        block.Size = std::max(BlockSize, line.size());
        block.Data.reset(new char[block.Size]);
        FBlocks.push_back(std::move(block));
    }
    TBlock &block = FBlocks.back();
    std::memcpy(block.Data.get() + block.Used, line.data(), line.size());
    FLines.push_back({ static_cast<uint32_t>(line.size()), time });
    block.Used += line.size();
    FSize += line.size();
}

std::string_view TPlotQueue::FirstLine() const
{
    if (Empty())
        return {};
    const TBlock &block = FBlocks.front();
    return std::string_view(block.Data.get() + FHead, FLines.front().Length);
}

double TPlotQueue::FirstLineTime() const
{
    return Empty() ? 0 : FLines.front().Time;
}

void TPlotQueue::RemoveFirstLine()
{
    if (Empty())
        return;
    const std::size_t taken = FLines.front().Length;
    FLines.pop_front();
    FHead += taken;
    FSize -= taken;
    // A block is done when its lines are taken: the next line is in the next block (or none waits yet).
    while (!FBlocks.empty() && FHead >= FBlocks.front().Used && (FBlocks.size() > 1 || FLines.empty())) {
        FHead = 0;
        if (FBlocks.size() == 1) {
            FBlocks.front().Used = 0; // keep the last block for what comes next
            break;
        }
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
