// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decoders/WholeLines.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <span>
#include <string>
#include <string_view>

// The PlotQueue: a first-in, first-out queue of received lines on their way to the chart, held as bytes.
// Received text is split into lines as TWholeLines splits it: a chunk that ends inside a line leaves it open, and
// only whole lines can be taken, so a value that arrives in two reads is read once, whole. A line longer than
// TWholeLines::MaxLineBytes is never queued (LongLines counts it), and after PortOpened the bytes up to the first line
// break are not queued either (the device may have been in the middle of a line). With chunk lines on, every chunk
// also ends the line it is in, as it is shown then.
// Each line carries the time it arrived (seconds since program start): the time of the run that completed it, the
// lines of one run spread over the time since the run before, every line later than the one before.
// The bytes of whole lines live in blocks; a line never straddles two, so every line is contiguous. Appending costs
// the chunk's length and taking a line the length of that line, however long the backlog: no stored byte is ever
// moved, and a block is released as soon as its last line has been taken.
class TPlotQueue
{
public:
    TPlotQueue();
    ~TPlotQueue();
    TPlotQueue(const TPlotQueue &) = delete;
    TPlotQueue &operator=(const TPlotQueue &) = delete;

    // Appends received text that arrived at `arrival` as one run.
    void AppendChunk(std::string_view chunk, double arrival = 0);
    // Appends received text with the runs it arrived in (TTimedRun::End counts the text's bytes).
    void AppendChunk(std::string_view chunk, std::span<const TTimedRun> runs);

    void SetChunkLines(bool on) { FChunkLines = on; }

    // The port was opened: the open line is dropped and the bytes up to the next line break are not queued. Whole
    // lines already waiting stay.
    void PortOpened() { FCutter.PortOpened(); }
    // Lines never queued because they were longer than TWholeLines::MaxLineBytes.
    uint64_t LongLines() const { return FCutter.LongLines(); }

    // Line 0 without its line break; empty when no whole line waits.
    std::string_view FirstLine() const;
    // The time at which line 0 stands on the chart. 0 when no whole line waits.
    double FirstLineTime() const;
    // Removes line 0; nothing happens when no whole line waits.
    void RemoveFirstLine();

    // Whether no whole line waits (an open line may).
    bool Empty() const { return FLines.empty(); }
    // Whole lines waiting.
    std::size_t Lines() const { return FLines.size(); }
    // Bytes of the whole lines waiting, without their breaks.
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

    struct TLine {
        uint32_t Length = 0;
        double Time = 0;
    };

    void AppendPiece(std::string_view piece, std::span<const TTimedRun> runs, double fallbackTime);
    void Push(std::string_view line, double time);

    std::deque<TBlock> FBlocks;
    std::size_t FHead = 0; // offset of line 0 in the front block
    std::size_t FSize = 0;
    std::deque<TLine> FLines;
    TWholeLines FCutter;
    bool FChunkLines = false;
};
