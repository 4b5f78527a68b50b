// SPDX-License-Identifier: GPL-3.0-or-later
// Binary frames: no input may crash the decoder, every sample is finite and on a channel the format has, and the
// samples, their times and the counts are the same whether the stream comes in one read or cut at a point the input
// chooses. The input's first bytes choose the format and the cut; every byte of the stream is its own run, byte i
// arriving at i ms.
// fuzz-sources: decoders/ArrivalClock.cpp decoders/ArrivalSpread.cpp decoders/Checksum.cpp decoders/FrameFormat.cpp
#include "decoders/BinaryFrameDecoder.h"

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
};

TDecoded Decode(const TFrameFormat &format, std::string_view stream, const std::vector<std::size_t> &cuts)
{
    TBinaryFrameDecoder decoder(format);
    TDecoded decoded;
    std::size_t from = 0;
    std::vector<TTimedRun> runs;
    for (std::size_t to : cuts) {
        runs.clear();
        for (std::size_t i = from; i < to; ++i)
            runs.push_back({ i + 1 - from, 0.001 * double(i) });
        decoder.Feed(stream.substr(from, to - from), runs, 0, decoded.Samples);
        from = to;
    }
    decoded.Counts = decoder.Counts();
    return decoded;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 6)
        return 0;
    TFrameFormat format;
    const std::size_t headerSize = data[0] % (TFrameFormat::MaxHeader + 1);
    format.Channels = data[1] % TFrameFormat::MaxChannels + 1;
    format.Type = static_cast<TSampleType>(data[2] % 8);
    format.Order = (data[2] & 0x08) ? TByteOrder::Big : TByteOrder::Little;
    format.Length = static_cast<TFrameLength>((data[2] >> 4) % 3);
    format.Checksum = static_cast<TChecksumKind>(data[3] % 6);
    format.ChecksumScope = (data[3] & 0x08) ? TChecksumScope::Data : TChecksumScope::LengthAndData;
    format.ChecksumOrder = static_cast<TChecksumOrder>((data[3] >> 4) % 3);
    const std::size_t cutChoice = data[4] | (data[5] << 8);
    std::string_view rest(reinterpret_cast<const char *>(data) + 6, size - 6);
    if (rest.size() < headerSize)
        return 0;
    format.Header = rest.substr(0, headerSize);
    const std::string_view stream = rest.substr(headerSize);
    const std::size_t cut = cutChoice % (stream.size() + 1);

    const TDecoded whole = Decode(format, stream, { stream.size() });
    for (const TSample &s : whole.Samples)
        if (!std::isfinite(s.Value) || s.Channel < 0 || s.Channel >= format.Channels)
            std::abort();
    const TDecoded pieces = Decode(format, stream, { cut, stream.size() });
    if (pieces.Samples != whole.Samples || pieces.Counts != whole.Counts)
        std::abort();
    return 0;
}
