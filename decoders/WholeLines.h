// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decoders/LineAssembler.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// The lines of received text that may be read as values: whole lines cut by TLineAssembler, each handed on once,
// contiguous, with its time. A line is handed on whole or not at all:
// - a line longer than MaxLineBytes is passed over up to its break and counted (LongLines), never handed on in
//   pieces that would read as other values;
// - after PortOpened the bytes up to the first line break are passed over: the device may have been in the middle of
//   a line when the port opened, and the rest of that line would read as a wrong value or a wrong name.
// Toolkit-free; one thread at a time.
class TWholeLines
{
public:
    static constexpr std::size_t MaxLineBytes = std::size_t(64) << 10;

    // Takes the next piece (as TLineAssembler::Feed) and calls sink(line, time) for each line it completes, in order;
    // the line comes without its break and is valid during the call.
    template <typename TSink>
    void Feed(std::string_view piece, std::span<const TTimedRun> runs, double fallbackTime, TSink &&sink)
    {
        const std::vector<TLineAssembler::TLineEnd> &ends = FAssembler.Feed(piece, runs, fallbackTime);
        std::size_t pos = FAssembler.Skipped();
        for (const TLineAssembler::TLineEnd &end : ends) {
            const std::string_view part = piece.substr(pos, end.ContentEnd - pos);
            pos = end.Next;
            if (end.Cut()) {
                if (!FPassOver)
                    ++FLongLines;
                FPassOver = true;
                FOpen.clear();
                continue;
            }
            if (FPassOver) {
                FPassOver = false;
                FOpen.clear();
                continue;
            }
            if (FOpen.empty()) {
                sink(part, end.Time);
            } else {
                FOpen.append(part);
                sink(std::string_view(FOpen), end.Time);
                FOpen.clear();
            }
        }
        if (!FPassOver)
            FOpen.append(piece.substr(pos));
    }

    // The port was opened: the open line is dropped, and the bytes up to the next line break are passed over.
    void PortOpened();
    // Whether a line has begun and not yet ended (its bytes may be passed over).
    bool LineOpen() const { return FAssembler.OpenLength() > 0; }
    // Lines passed over for their length.
    uint64_t LongLines() const { return FLongLines; }
    // The time of the last run taken.
    double LastTime() const { return FAssembler.LastTime(); }

private:
    // One more than the longest line: a line of MaxLineBytes still finds its break.
    TLineAssembler FAssembler { MaxLineBytes + 1 };
    std::string FOpen; // the bytes of the open line so far
    bool FPassOver = false; // the open line's bytes are passed over up to its break
    uint64_t FLongLines = 0;
};
