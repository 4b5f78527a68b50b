// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decoders/SampleDecoder.h"
#include "decoders/WholeLines.h"

#include <string>
#include <string_view>
#include <vector>

// The part every line-based decoder shares: received bytes are cut into whole lines by TWholeLines (a line cut
// between two reads is kept until its end arrives), and each line goes to DecodeLine with the time of the run that
// completed it. The line comes without its break; it may be empty. A line longer than TWholeLines::MaxLineBytes is
// Rejected without being read. Reset is the port's opening: the open line is dropped and the bytes up to the next
// line break are passed over.
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
    TWholeLines FLines;
};
