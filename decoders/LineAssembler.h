// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/LineBreak.h"
#include "decoders/ArrivalClock.h"
#include "decoders/SampleDecoder.h"

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

// Splits received text that arrives in pieces into whole lines (ends as FindLineBreak finds them), whatever the piece
// boundaries: a piece that ends inside a line leaves it open for the next piece to continue, and an LF that starts a
// piece after a piece that ended in CR completes that CR's break.
//
// Every line gets a time of its own from TArrivalClock: that of the run that completed it, the lines one run
// completes spread evenly over the time since the run before it (at most MaxArrivalSpread back), so a device that
// sends several lines per transfer still draws a steady trace, and each line later than the one before.
class TLineAssembler
{
public:
    // Longest line before a break of no bytes is put in.
    static constexpr std::size_t MaxLineBytes = 8192;

    struct TLineEnd {
        std::size_t ContentEnd = 0; // in the piece; the line's first bytes may lie in earlier pieces
        std::size_t Next = 0; // where the next line starts in the piece
        double Time = 0;

        // The line reached the longest a line may be and was ended there, without a break of its own: the bytes
        // that follow may still belong to it.
        bool Cut() const { return Next == ContentEnd; }
    };

    explicit TLineAssembler(std::size_t maxLine = MaxLineBytes)
        : FMaxLine(maxLine)
    {
    }

    // Takes the next piece. runs are in order, the last one ending at the piece's end (a piece without runs is dated
    // `fallbackTime`). Returns the lines the piece ends, valid until the next call. Skipped() tells how many bytes at
    // the piece's start completed the previous piece's break (0 or 1).
    const std::vector<TLineEnd> &Feed(std::string_view piece, std::span<const TTimedRun> runs, double fallbackTime);
    std::size_t Skipped() const { return FSkipped; }

    // The lines of the last piece grouped by the run that completed them, with the span their times are spread over:
    // line First + k of Count stands at LineArrivalTime(Span, k, Count), or MinItemStep after the line before it when
    // that is later. Runs that completed no line are left out.
    using TRunLines = TArrivalClock::TRunItems;
    const std::vector<TRunLines> &RunLines() const { return FRunLines; }

    // The next piece starts a line of its own: the open line is forgotten (its bytes are the caller's to end or drop)
    // and an LF at the next piece's start is a line break of its own, not the end of an earlier CR's. The clock goes
    // on, so later lines still stand after the earlier ones.
    void Restart();

    // Bytes of the open line so far: the line that has begun and not yet ended.
    std::size_t OpenLength() const { return FOpen; }
    // The time of the last run taken.
    double LastTime() const { return FClock.LastRunTime(); }

private:
    std::size_t FMaxLine;
    std::size_t FOpen = 0;
    bool FAfterCr = false; // the last piece ended in a CR that ended its line
    std::size_t FSkipped = 0;
    TArrivalClock FClock;
    std::vector<TLineEnd> FEnds;
    std::vector<std::size_t> FEndPositions;
    std::vector<double> FTimes;
    std::vector<TRunLines> FRunLines;
};
