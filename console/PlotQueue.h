#pragma once

#include "console/ArrivalSpread.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string_view>

// The PlotQueue: a first-in, first-out queue of received lines on their way to the chart, held as bytes.
// Each appended chunk follows the multi-line append rule: it is followed by CR LF, so its lines are the pieces between
// CR LF pairs and a chunk that ends in CR LF leaves an empty line after it. Lines leave only from the top.
// The bytes live in blocks; a chunk with its CR LF never straddles two, so every line is contiguous. Appending costs
// the chunk's length and taking a line the length of that line, however long the backlog: no stored byte is ever
// moved, and a block is released as soon as its last line has been taken. Memory stays close to the queued bytes.
// Each chunk carries its arrival time (seconds since program start), kept once per chunk; a line's time on the chart
// follows from it by the spread rule of ArrivalSpread.
class TPlotQueue
{
public:
    TPlotQueue();
    ~TPlotQueue();
    TPlotQueue(const TPlotQueue &) = delete;
    TPlotQueue &operator=(const TPlotQueue &) = delete;

    void AppendChunk(std::string_view chunk, double arrival = 0);

    // Line 0 without its line break; empty when the queue is empty.
    std::string_view FirstLine() const;
    // The time at which line 0 stands on the chart: its chunk's lines spread over the gap since the previous chunk
    // arrived (ArrivalSpread). 0 when the queue is empty.
    double FirstLineTime() const;
    // Removes line 0 with its line break; nothing happens on an empty queue.
    void RemoveFirstLine();

    bool Empty() const { return FSize == 0; }
    // Queued bytes, line breaks included.
    std::size_t Size() const { return FSize; }
    // Bytes held in storage blocks.
    std::size_t Capacity() const;

private:
    static constexpr std::size_t BlockSize = std::size_t(256) << 10;

    struct TBlock {
        std::unique_ptr<char[]> Data;
        std::size_t Size = 0;
        std::size_t Used = 0;
    };

    // One queued chunk: its span on the time axis, its lines in the queue and how many of them are spread.
    struct TChunk {
        TArrivalSpan Span;
        uint32_t Lines = 0;
        uint32_t Spread = 0;
    };

    std::deque<TBlock> FBlocks;
    std::size_t FHead = 0; // offset of line 0 in the front block
    std::size_t FSize = 0;
    std::deque<TChunk> FChunks;
    uint32_t FLineInChunk = 0; // index of line 0 within the front chunk
    double FLastArrival = 0;
    bool FHasArrival = false;
};
