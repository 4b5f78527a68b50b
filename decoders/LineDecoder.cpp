// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoders/LineDecoder.h"

void TLineDecoder::Feed(
    std::string_view bytes, std::span<const TTimedRun> runs, double fallbackTime, std::vector<TSample> &out)
{
    const uint64_t longLines = FLines.LongLines();
    FLines.Feed(bytes, runs, fallbackTime, [&](std::string_view line, double time) { DecodeLine(line, time, out); });
    FCounts.Rejected += FLines.LongLines() - longLines;
}

void TLineDecoder::Reset()
{
    FLines.PortOpened();
}
