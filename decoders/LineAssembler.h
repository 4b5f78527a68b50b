// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/LineBreak.h"
#include "decoders/ArrivalSpread.h"
#include "decoders/SampleDecoder.h"

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

// Splits received text that arrives in pieces into whole lines (ends as FindLineBreak finds them), whatever the piece
// boundaries: a piece that ends inside a line leaves it open for the next piece to continue, and an LF that starts a
// piece after a piece that ended in CR completes that CR's break.
//
// Every line gets the time of the run that completed it; the lines one run completes are spread evenly over the time
// since the run before it (at most MaxArrivalSpread back), so a device that sends several lines per transfer still
// draws a steady trace.
class TLineAssembler
{
public:
    // Longest line before a break of no bytes is put in.
    static constexpr std::size_t MaxLineBytes = 8192;

    struct TLineEnd {
        std::size_t ContentEnd = 0; // in the piece; the line's first bytes may lie in earlier pieces
        std::size_t Next = 0; // where the next line starts in the piece
        double Time = 0;
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
    // line First + k of Count stands at LineArrivalTime(Span, k, Count). Runs that completed no line are left out.
    struct TRunLines {
        std::size_t First = 0;
        std::size_t Count = 0;
        TArrivalSpan Span;
    };
    const std::vector<TRunLines> &RunLines() const { return FRunLines; }

    // Bytes of the open line so far: the line that has begun and not yet ended.
    std::size_t OpenLength() const { return FOpen; }
    // The time of the last run taken.
    double LastTime() const { return FLastTime; }

private:
    std::size_t FMaxLine;
    std::size_t FOpen = 0;
    bool FAfterCr = false; // the last piece ended in a CR that ended its line
    std::size_t FSkipped = 0;
    double FLastTime = 0;
    bool FHasTime = false;
    std::vector<TLineEnd> FEnds;
    std::vector<TRunLines> FRunLines;
};
