// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoders/BinaryFrameDecoder.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace
{

template <typename TBits> TBits LoadBits(const unsigned char *p, bool bigEndian)
{
    TBits bits;
    std::memcpy(&bits, p, sizeof bits);
    if constexpr (sizeof(TBits) > 1) {
        if (bigEndian != (std::endian::native == std::endian::big)) {
            if constexpr (sizeof(TBits) == 2)
                bits = __builtin_bswap16(bits);
            else if constexpr (sizeof(TBits) == 4)
                bits = __builtin_bswap32(bits);
            else
                bits = __builtin_bswap64(bits);
        }
    }
    return bits;
}

template <typename TValue, typename TBits, bool BigEndian> double ReadSampleAs(const unsigned char *p)
{
    return static_cast<double>(std::bit_cast<TValue>(LoadBits<TBits>(p, BigEndian)));
}

template <bool BigEndian> double (*SampleReader(TSampleType type))(const unsigned char *)
{
    switch (type) {
    case TSampleType::UInt8:
        return ReadSampleAs<uint8_t, uint8_t, BigEndian>;
    case TSampleType::Int8:
        return ReadSampleAs<int8_t, uint8_t, BigEndian>;
    case TSampleType::UInt16:
        return ReadSampleAs<uint16_t, uint16_t, BigEndian>;
    case TSampleType::Int16:
        return ReadSampleAs<int16_t, uint16_t, BigEndian>;
    case TSampleType::UInt32:
        return ReadSampleAs<uint32_t, uint32_t, BigEndian>;
    case TSampleType::Int32:
        return ReadSampleAs<int32_t, uint32_t, BigEndian>;
    case TSampleType::Float32:
        return ReadSampleAs<float, uint32_t, BigEndian>;
    case TSampleType::Float64:
        return ReadSampleAs<double, uint64_t, BigEndian>;
    }
    return ReadSampleAs<uint8_t, uint8_t, BigEndian>;
}

// An unsigned field of 1, 2 or 4 bytes.
uint32_t ReadField(const unsigned char *p, std::size_t size, bool bigEndian)
{
    uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i)
        value |= static_cast<uint32_t>(p[bigEndian ? size - 1 - i : i]) << (8 * i);
    return value;
}

} // namespace

TBinaryFrameDecoder::TBinaryFrameDecoder(TFrameFormat format)
    : FFormat(std::move(format))
{
    if (FFormat.Header.size() > TFrameFormat::MaxHeader)
        FFormat.Header.resize(TFrameFormat::MaxHeader);
    FFormat.Channels = std::clamp(FFormat.Channels, 1, TFrameFormat::MaxChannels);
    FSampleSize = SampleSize(FFormat.Type);
    FLengthSize = FFormat.Length == TFrameLength::Fixed ? 0 : FFormat.Length == TFrameLength::Byte ? 1 : 2;
    FChecksumSize = ChecksumSize(FFormat.Checksum);
    switch (FFormat.ChecksumOrder) {
    case TChecksumOrder::Frame:
        FChecksumBigEndian = FFormat.Order == TByteOrder::Big && FFormat.Checksum != TChecksumKind::Crc16Modbus;
        break;
    case TChecksumOrder::Big:
        FChecksumBigEndian = true;
        break;
    case TChecksumOrder::Little:
        FChecksumBigEndian = false;
        break;
    }
    FReadSample
        = FFormat.Order == TByteOrder::Big ? SampleReader<true>(FFormat.Type) : SampleReader<false>(FFormat.Type);
    FMayBeNonFinite = FFormat.Type == TSampleType::Float32 || FFormat.Type == TSampleType::Float64;
    for (int k = 0; k < FFormat.Channels; ++k)
        FNames.push_back("数据" + std::to_string(k + 1));
}

void TBinaryFrameDecoder::Feed(
    std::string_view bytes, std::span<const TTimedRun> runs, double fallbackTime, std::vector<TSample> &out)
{
    FFrameEnds.clear();
    FFrameFirst.clear();
    std::string_view buffer = bytes;
    std::size_t base = 0;
    if (!FPending.empty()) {
        FWork.assign(FPending);
        FWork.append(bytes);
        buffer = FWork;
        base = FPending.size();
    }
    const std::size_t rest = Scan(buffer, base, out);
    FPending.assign(buffer.substr(rest));

    FClock.Date(FFrameEnds, bytes.size(), runs, fallbackTime, FFrameTimes);
    for (std::size_t f = 0; f < FFrameFirst.size(); ++f) {
        const std::size_t last = f + 1 < FFrameFirst.size() ? FFrameFirst[f + 1] : out.size();
        for (std::size_t s = FFrameFirst[f]; s < last; ++s)
            out[s].Time = FFrameTimes[f];
    }
}

void TBinaryFrameDecoder::Reset()
{
    FCounts.SkippedBytes += FPending.size();
    FPending.clear();
}

void TBinaryFrameDecoder::DropFailedFrameStart(std::size_t &pos)
{
    ++FCounts.SkippedBytes;
    ++pos;
}

std::size_t TBinaryFrameDecoder::Scan(std::string_view buffer, std::size_t base, std::vector<TSample> &out)
{
    const auto *data = reinterpret_cast<const unsigned char *>(buffer.data());
    const std::size_t size = buffer.size();
    const std::string_view header = FFormat.Header;
    const std::size_t headerSize = header.size();
    const std::size_t maxPayload = FSampleSize * static_cast<std::size_t>(FFormat.Channels);
    // Just past the furthest byte looked at: a frame found again after a failed one is completed by that byte.
    std::size_t seen = base;
    std::size_t pos = 0;
    for (;;) {
        if (headerSize > 0) {
            // Pass over bytes up to the next header; a header prefix at the buffer's end waits for the next read.
            for (;;) {
                const void *hit = pos < size ? std::memchr(data + pos, header[0], size - pos) : nullptr;
                if (!hit) {
                    FCounts.SkippedBytes += size - pos;
                    return size;
                }
                const std::size_t at = static_cast<std::size_t>(static_cast<const unsigned char *>(hit) - data);
                FCounts.SkippedBytes += at - pos;
                pos = at;
                const std::size_t available = std::min(headerSize, size - pos);
                if (buffer.compare(pos, available, header, 0, available) == 0) {
                    if (available < headerSize)
                        return pos;
                    break;
                }
                ++pos;
                ++FCounts.SkippedBytes;
            }
        } else if (pos >= size) {
            return pos;
        }

        const std::size_t lengthAt = pos + headerSize;
        std::size_t payload = maxPayload;
        if (FLengthSize > 0) {
            if (size - lengthAt < FLengthSize)
                return pos;
            payload = ReadField(data + lengthAt, FLengthSize, FFormat.Order == TByteOrder::Big);
            seen = std::max(seen, lengthAt + FLengthSize);
            if (payload == 0 || payload > maxPayload || payload % FSampleSize != 0) {
                ++FCounts.Rejected;
                DropFailedFrameStart(pos);
                continue;
            }
        }
        const std::size_t payloadAt = lengthAt + FLengthSize;
        const std::size_t checksumAt = payloadAt + payload;
        const std::size_t end = checksumAt + FChecksumSize;
        if (end > size)
            return pos;
        seen = std::max(seen, end);
        if (FChecksumSize > 0) {
            const std::size_t checkedAt = FFormat.ChecksumScope == TChecksumScope::Data ? payloadAt : lengthAt;
            const uint32_t expected
                = ComputeChecksum(FFormat.Checksum, buffer.substr(checkedAt, checksumAt - checkedAt));
            if (ReadField(data + checksumAt, FChecksumSize, FChecksumBigEndian) != expected) {
                ++FCounts.ChecksumErrors;
                DropFailedFrameStart(pos);
                continue;
            }
        }

        FFrameEnds.push_back(seen - base);
        FFrameFirst.push_back(out.size());
        const std::size_t samples = payload / FSampleSize;
        for (std::size_t k = 0; k < samples; ++k) {
            const double value = FReadSample(data + payloadAt + k * FSampleSize);
            if (FMayBeNonFinite && !std::isfinite(value))
                continue;
            out.push_back({ static_cast<int>(k), value, 0 });
        }
        ++FCounts.Taken;
        pos = end;
    }
}
