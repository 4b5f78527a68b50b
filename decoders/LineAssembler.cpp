// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoders/LineAssembler.h"

const std::vector<TLineAssembler::TLineEnd> &TLineAssembler::Feed(
    std::string_view piece, std::span<const TTimedRun> runs, double fallbackTime)
{
    FEnds.clear();
    FEndPositions.clear();
    FSkipped = 0;
    const char *data = piece.data();
    const std::size_t size = piece.size();
    std::size_t pos = 0;
    if (FAfterCr && size > 0 && data[0] == '\n')
        pos = FSkipped = 1;
    if (size > 0)
        FAfterCr = false;

    // Find the line ends first: the spread of a run's lines needs their number.
    while (pos < size) {
        const std::optional<TLineBreak> found = FindLineBreak(data + pos, data + size, FMaxLine - FOpen);
        if (!found) {
            FOpen += size - pos;
            break;
        }
        FEnds.push_back({ pos + found->ContentEnd, pos + found->Next, 0 });
        if (found->Next == found->ContentEnd + 1 && data[pos + found->ContentEnd] == '\r' && pos + found->Next == size)
            FAfterCr = true;
        pos += found->Next;
        FOpen = 0;
    }

    // A line is completed by the run that holds its last byte (its break's last byte, or its last content byte when
    // the break has none).
    for (const TLineEnd &end : FEnds)
        FEndPositions.push_back(end.Next);
    FClock.Date(FEndPositions, size, runs, fallbackTime, FTimes, &FRunLines);
    for (std::size_t k = 0; k < FEnds.size(); ++k)
        FEnds[k].Time = FTimes[k];
    return FEnds;
}

void TLineAssembler::Restart()
{
    FOpen = 0;
    FAfterCr = false;
}
