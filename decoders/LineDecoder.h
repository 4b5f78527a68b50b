// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decoders/LineAssembler.h"
#include "decoders/SampleDecoder.h"

#include <string>
#include <string_view>
#include <vector>

// The part every line-based decoder shares: received bytes are cut into whole lines by TLineAssembler (a line cut
// between two reads is kept until its end arrives), and each line goes to DecodeLine with the time of the run that
// completed it. The line comes without its break; it may be empty.
class TLineDecoder : public TSampleDecoder
{
public:
    void Feed(
        std::string_view bytes, std::span<const TTimedRun> runs, double fallbackTime, std::vector<TSample> &out) final;
    TDecoderCounts Counts() const override { return FCounts; }
    void ResetCounts() override { FCounts = {}; }
    void Reset() override;

    // Decodes one whole line that was cut from the bytes elsewhere (by the same rules as Feed's), all its samples at
    // `time`. The line comes without its break.
    void TakeLine(std::string_view line, double time, std::vector<TSample> &out) { DecodeLine(line, time, out); }

protected:
    // Appends the samples of one whole line to `out`, all at `time`, and counts the line.
    virtual void DecodeLine(std::string_view line, double time, std::vector<TSample> &out) = 0;

    TDecoderCounts FCounts;

private:
    TLineAssembler FAssembler;
    std::string FOpen; // the bytes of the line that has begun and not yet ended
};
