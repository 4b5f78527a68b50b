// SPDX-License-Identifier: GPL-3.0-or-later
// Received bytes read as whole numbers a line: no input may crash the decoder, every sample is a whole number of 32
// bits on the one channel, and the input fed whole gives the same samples and counts as the input cut into two reads
// where the fuzzer chooses (the first two bytes choose the cut, the rest is the input).
// fuzz-sources: decoders/LineDecoder.cpp decoders/LineAssembler.cpp decoders/ArrivalSpread.cpp core/ParseInteger.cpp
// fuzz-sources: decoders/WholeLines.cpp decoders/ArrivalClock.cpp
#include "decoders/WholeNumberLineDecoder.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace
{

struct TDecoded {
    std::vector<TSample> Samples;
    TDecoderCounts Counts;

    bool operator==(const TDecoded &) const = default;
};

TDecoded Decode(std::string_view first, std::string_view second)
{
    TWholeNumberLineDecoder decoder;
    TDecoded decoded;
    decoder.Feed(first, {}, 1, decoded.Samples);
    decoder.Feed(second, {}, 1, decoded.Samples);
    decoded.Counts = decoder.Counts();
    return decoded;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const std::string_view input(reinterpret_cast<const char *>(data) + 2, size - 2);
    const std::size_t cut = (std::size_t(data[0]) << 8 | data[1]) % (input.size() + 1);

    const TDecoded whole = Decode(input, {});
    for (const TSample &sample : whole.Samples)
        if (sample.Channel != 0 || sample.Value != std::trunc(sample.Value) || sample.Value < INT32_MIN
            || sample.Value > INT32_MAX)
            std::abort();
    if (Decode(input.substr(0, cut), input.substr(cut)) != whole)
        std::abort();
    return 0;
}
