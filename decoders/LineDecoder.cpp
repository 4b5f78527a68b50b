// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoders/LineDecoder.h"

void TLineDecoder::Feed(
    std::string_view bytes, std::span<const TTimedRun> runs, double fallbackTime, std::vector<TSample> &out)
{
    std::size_t pos = 0;
    const std::vector<TLineAssembler::TLineEnd> &ends = FAssembler.Feed(bytes, runs, fallbackTime);
    pos = FAssembler.Skipped();
    for (const TLineAssembler::TLineEnd &end : ends) {
        const std::string_view part = bytes.substr(pos, end.ContentEnd - pos);
        pos = end.Next;
        if (FOpen.empty()) {
            DecodeLine(part, end.Time, out);
        } else {
            FOpen.append(part);
            DecodeLine(FOpen, end.Time, out);
            FOpen.clear();
        }
    }
    FOpen.append(bytes.substr(pos));
}

void TLineDecoder::Reset()
{
    FAssembler = TLineAssembler();
    FOpen.clear();
}
