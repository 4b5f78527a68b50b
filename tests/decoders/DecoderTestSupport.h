// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decoders/SampleDecoder.h"

#include <charconv>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

inline void PrintTo(const TDecoderCounts &counts, std::ostream *out)
{
    *out << "{ Taken " << counts.Taken << ", Rejected " << counts.Rejected << ", ChecksumErrors "
         << counts.ChecksumErrors << ", SkippedBytes " << counts.SkippedBytes << ", DroppedNames "
         << counts.DroppedNames << ", SkippedFields " << counts.SkippedFields << " }";
}

// Feeds each read at `time` and returns every sample the decoder gave.
inline std::vector<TSample> FeedReads(TSampleDecoder &decoder, const std::vector<std::string> &reads, double time = 1)
{
    std::vector<TSample> samples;
    for (const std::string &read : reads)
        decoder.Feed(read, {}, time, samples);
    return samples;
}

// The samples as "name=value" words joined by blanks, each named by its channel: "temp=23.5 数据1=7".
inline std::string NamedValues(const TSampleDecoder &decoder, const std::vector<TSample> &samples)
{
    std::string text;
    for (const TSample &sample : samples) {
        if (!text.empty())
            text += ' ';
        const std::vector<std::string> &names = decoder.ChannelNames();
        text += sample.Channel >= 0 && sample.Channel < int(names.size()) ? names[sample.Channel] : "?";
        text += '=';
        char number[32];
        text.append(number, std::to_chars(number, number + sizeof number, sample.Value).ptr);
    }
    return text;
}
