// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoders/BinaryFrameDecoder.h"

#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

// Readable failures. Internal to this file, so other tests of the folder may print these their own way.
static void PrintTo(const TSample &s, std::ostream *os)
{
    *os << "{channel " << s.Channel << ", " << s.Value << " at " << s.Time << "}";
}

static void PrintTo(const TDecoderCounts &c, std::ostream *os)
{
    *os << "{taken " << c.Taken << ", rejected " << c.Rejected << ", checksum errors " << c.ChecksumErrors
        << ", skipped " << c.SkippedBytes << ", dropped names " << c.DroppedNames << "}";
}

namespace
{

using namespace std::string_literals;
using TChannelValues = std::vector<std::pair<int, double>>;

TFrameFormat Format(std::string header, int channels, TSampleType type, TByteOrder order = TByteOrder::Little,
    TFrameLength length = TFrameLength::Fixed, TChecksumKind checksum = TChecksumKind::None)
{
    return TFrameFormat { std::move(header), channels, type, order, length, checksum };
}

// A frame as a device sends it: header, length field, payload, checksum over the length field and the payload.
std::string Frame(const TFrameFormat &format, const std::string &payload)
{
    const bool big = format.Order == TByteOrder::Big;
    std::string length;
    if (format.Length == TFrameLength::Byte)
        length = std::string(1, char(payload.size()));
    else if (format.Length == TFrameLength::TwoBytes)
        length = big ? std::string { char(payload.size() >> 8), char(payload.size()) }
                     : std::string { char(payload.size()), char(payload.size() >> 8) };
    const uint32_t check = ComputeChecksum(format.Checksum, length + payload);
    std::string checksum;
    const std::size_t size = ChecksumSize(format.Checksum);
    for (std::size_t i = 0; i < size; ++i) {
        const bool highFirst = big && format.Checksum != TChecksumKind::Crc16Modbus;
        checksum += char(check >> (8 * (highFirst ? size - 1 - i : i)));
    }
    return format.Header + length + payload + checksum;
}

// Little-endian int16 payload.
std::string Int16s(std::initializer_list<int> values)
{
    std::string payload;
    for (int v : values)
        payload += { char(v & 0xFF), char((v >> 8) & 0xFF) };
    return payload;
}

TChannelValues ChannelValues(const std::vector<TSample> &samples)
{
    TChannelValues values;
    for (const TSample &s : samples)
        values.emplace_back(s.Channel, s.Value);
    return values;
}

struct TDecoded {
    std::vector<TSample> Samples;
    TDecoderCounts Counts;
};

// Feeds each read at time 1.
TDecoded Decode(const TFrameFormat &format, std::initializer_list<std::string> reads)
{
    TBinaryFrameDecoder decoder(format);
    TDecoded decoded;
    for (const std::string &read : reads)
        decoder.Feed(read, {}, 1, decoded.Samples);
    decoded.Counts = decoder.Counts();
    return decoded;
}

TDecoderCounts Counts(uint64_t taken, uint64_t rejected, uint64_t checksumErrors, uint64_t skipped)
{
    return TDecoderCounts { taken, rejected, checksumErrors, skipped, 0 };
}

// Every sample type in both byte orders, two samples a frame.
struct TTypeCase {
    const char *Name;
    TSampleType Type;
    TByteOrder Order;
    std::string Payload;
    TChannelValues Expected;
};

void PrintTo(const TTypeCase &c, std::ostream *os)
{
    *os << c.Name;
}

class SampleTypeTest : public testing::TestWithParam<TTypeCase>
{
};

TEST_P(SampleTypeTest, ReadsEachSampleOfTheFrameIntoItsChannel)
{
    const TTypeCase &c = GetParam();
    const TDecoded decoded = Decode(Format("\xAA\x55", 2, c.Type, c.Order), { "\xAA\x55"s + c.Payload });
    EXPECT_EQ(ChannelValues(decoded.Samples), c.Expected);
    EXPECT_EQ(decoded.Counts, Counts(1, 0, 0, 0));
}

constexpr auto Little = TByteOrder::Little;
constexpr auto Big = TByteOrder::Big;

INSTANTIATE_TEST_SUITE_P(Types, SampleTypeTest,
    testing::Values(TTypeCase { "UInt8", TSampleType::UInt8, Little, "\x00\xFF"s, { { 0, 0 }, { 1, 255 } } },
        TTypeCase { "Int8", TSampleType::Int8, Big, "\x80\x7F"s, { { 0, -128 }, { 1, 127 } } },
        TTypeCase { "UInt16Little", TSampleType::UInt16, Little, "\x34\x12\xFF\xFF"s, { { 0, 0x1234 }, { 1, 65535 } } },
        TTypeCase { "UInt16Big", TSampleType::UInt16, Big, "\x12\x34\xFF\xFF"s, { { 0, 0x1234 }, { 1, 65535 } } },
        TTypeCase { "Int16Little", TSampleType::Int16, Little, "\x85\xFF\x00\x80"s, { { 0, -123 }, { 1, -32768 } } },
        TTypeCase { "Int16Big", TSampleType::Int16, Big, "\xFF\x85\x80\x00"s, { { 0, -123 }, { 1, -32768 } } },
        TTypeCase { "UInt32Little", TSampleType::UInt32, Little, "\x78\x56\x34\x12\xFF\xFF\xFF\xFF"s,
            { { 0, 0x12345678 }, { 1, 4294967295.0 } } },
        TTypeCase { "UInt32Big", TSampleType::UInt32, Big, "\x12\x34\x56\x78\xFF\xFF\xFF\xFF"s,
            { { 0, 0x12345678 }, { 1, 4294967295.0 } } },
        TTypeCase { "Int32Little", TSampleType::Int32, Little, "\x00\x00\x00\x80\xFE\xFF\xFF\xFF"s,
            { { 0, -2147483648.0 }, { 1, -2 } } },
        TTypeCase { "Int32Big", TSampleType::Int32, Big, "\x80\x00\x00\x00\xFF\xFF\xFF\xFE"s,
            { { 0, -2147483648.0 }, { 1, -2 } } },
        TTypeCase { "Float32Little", TSampleType::Float32, Little, "\x00\x00\xC0\x3F\x00\x00\x00\xC0"s,
            { { 0, 1.5 }, { 1, -2 } } },
        TTypeCase {
            "Float32Big", TSampleType::Float32, Big, "\x3F\xC0\x00\x00\xC0\x00\x00\x00"s, { { 0, 1.5 }, { 1, -2 } } },
        TTypeCase { "Float64Little", TSampleType::Float64, Little,
            "\x00\x00\x00\x00\x00\x00\xF8\x3F\x00\x00\x00\x00\x00\x00\x02\xC0"s, { { 0, 1.5 }, { 1, -2.25 } } },
        TTypeCase { "Float64Big", TSampleType::Float64, Big,
            "\x3F\xF8\x00\x00\x00\x00\x00\x00\xC0\x02\x00\x00\x00\x00\x00\x00"s, { { 0, 1.5 }, { 1, -2.25 } } },
        TTypeCase { "Float32NotANumberLeftOut", TSampleType::Float32, Big, "\x7F\xC0\x00\x00\x3F\xC0\x00\x00"s,
            { { 1, 1.5 } } },
        TTypeCase { "Float64InfinityLeftOut", TSampleType::Float64, Little,
            "\x00\x00\x00\x00\x00\x00\xF8\x3F\x00\x00\x00\x00\x00\x00\xF0\x7F"s, { { 0, 1.5 } } }),
    [](const testing::TestParamInfo<TTypeCase> &info) { return std::string(info.param.Name); });

// A frame of the nine digits, whose checksum is the published check value of "123456789", sent as the rules say.
struct TChecksumCase {
    const char *Name;
    TChecksumKind Kind;
    TByteOrder Order;
    std::string Sent;
};

void PrintTo(const TChecksumCase &c, std::ostream *os)
{
    *os << c.Name;
}

class FrameChecksumTest : public testing::TestWithParam<TChecksumCase>
{
};

TEST_P(FrameChecksumTest, TakesTheFrameWithItsCheckAndCountsItWhenAByteChanges)
{
    const TChecksumCase &c = GetParam();
    const TFrameFormat format = Format("\xAA", 9, TSampleType::UInt8, c.Order, TFrameLength::Fixed, c.Kind);
    const TDecoded good = Decode(format, { "\xAA"s + "123456789" + c.Sent });
    ASSERT_EQ(good.Samples.size(), 9u);
    EXPECT_EQ(good.Samples[8], (TSample { 8, '9', 1 }));
    EXPECT_EQ(good.Counts, Counts(1, 0, 0, 0));
    if (c.Kind == TChecksumKind::None)
        return;

    const TDecoded changed = Decode(format, { "\xAA"s + "123456780" + c.Sent });
    EXPECT_TRUE(changed.Samples.empty());
    EXPECT_EQ(changed.Counts, Counts(0, 0, 1, 9 + c.Sent.size()));
    if (c.Sent.size() > 1) {
        const TDecoded swapped
            = Decode(format, { "\xAA"s + "123456789" + std::string(c.Sent.rbegin(), c.Sent.rend()) });
        EXPECT_EQ(swapped.Counts.ChecksumErrors, 1u);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, FrameChecksumTest,
    testing::Values(TChecksumCase { "None", TChecksumKind::None, Little, "" },
        TChecksumCase { "Sum8", TChecksumKind::Sum8, Big, "\xDD" },
        TChecksumCase { "Xor8", TChecksumKind::Xor8, Little, "\x31" },
        TChecksumCase { "Crc16ModbusLittle", TChecksumKind::Crc16Modbus, Little, "\x37\x4B" },
        TChecksumCase { "Crc16ModbusLowByteFirstInBigEndianFrames", TChecksumKind::Crc16Modbus, Big, "\x37\x4B" },
        TChecksumCase { "Crc16CcittFalseLittle", TChecksumKind::Crc16CcittFalse, Little, "\xB1\x29" },
        TChecksumCase { "Crc16CcittFalseBig", TChecksumKind::Crc16CcittFalse, Big, "\x29\xB1" },
        TChecksumCase { "Crc32Little", TChecksumKind::Crc32, Little, "\x26\x39\xF4\xCB" },
        TChecksumCase { "Crc32Big", TChecksumKind::Crc32, Big, "\xCB\xF4\x39\x26" }),
    [](const testing::TestParamInfo<TChecksumCase> &info) { return std::string(info.param.Name); });

// Frames with a length field after the header "AA", two channels of uint16 at most: what the field gives, and the
// fields that lie. A frame after the liar shows where the search went on.
struct TLengthCase {
    const char *Name;
    TFrameLength Length;
    TByteOrder Order;
    TChecksumKind Checksum;
    std::string Stream;
    TChannelValues Expected;
    TDecoderCounts Counts;
};

void PrintTo(const TLengthCase &c, std::ostream *os)
{
    *os << c.Name;
}

class LengthFieldTest : public testing::TestWithParam<TLengthCase>
{
};

TEST_P(LengthFieldTest, GivesThePayloadSizeOrRejectsTheFrame)
{
    const TLengthCase &c = GetParam();
    const TDecoded decoded
        = Decode(Format("\xAA", 2, TSampleType::UInt16, c.Order, c.Length, c.Checksum), { c.Stream });
    EXPECT_EQ(ChannelValues(decoded.Samples), c.Expected);
    EXPECT_EQ(decoded.Counts, c.Counts);
}

constexpr auto ByteLength = TFrameLength::Byte;
constexpr auto TwoByteLength = TFrameLength::TwoBytes;
constexpr auto NoCheck = TChecksumKind::None;
const std::string Good = "\xAA\x02\x07\x00"s; // one sample, 7, after a one-byte length field

INSTANTIATE_TEST_SUITE_P(Lengths, LengthFieldTest,
    testing::Values(TLengthCase { "OneSample", ByteLength, Little, NoCheck, "\xAA\x02\x34\x12"s, { { 0, 0x1234 } },
                        Counts(1, 0, 0, 0) },
        TLengthCase { "TwoSamples", ByteLength, Little, NoCheck, "\xAA\x04\x01\x00\x02\x00"s, { { 0, 1 }, { 1, 2 } },
            Counts(1, 0, 0, 0) },
        TLengthCase { "TwoByteFieldLittle", TwoByteLength, Little, NoCheck, "\xAA\x02\x00\x34\x12"s, { { 0, 0x1234 } },
            Counts(1, 0, 0, 0) },
        TLengthCase { "TwoByteFieldBig", TwoByteLength, Big, NoCheck, "\xAA\x00\x02\x12\x34"s, { { 0, 0x1234 } },
            Counts(1, 0, 0, 0) },
        TLengthCase { "InsideTheChecksum", ByteLength, Little, TChecksumKind::Sum8, "\xAA\x02\x05\x06\x0D"s,
            { { 0, 0x0605 } }, Counts(1, 0, 0, 0) },
        TLengthCase { "MoreSamplesThanChannels", ByteLength, Little, NoCheck, "\xAA\x06\x01\x00\x02\x00"s + Good,
            { { 0, 7 } }, Counts(1, 1, 0, 5) },
        TLengthCase { "TooLongInTheHighByte", TwoByteLength, Little, NoCheck,
            "\xAA\x02\x01\x09\x00"s + "\xAA\x02\x00\x07\x00"s, { { 0, 7 } }, Counts(1, 1, 0, 4) },
        TLengthCase { "NotAWholeNumberOfSamples", ByteLength, Little, NoCheck, "\xAA\x03\x01\x00\x02"s + Good,
            { { 0, 7 } }, Counts(1, 1, 0, 4) },
        TLengthCase { "NoSamples", ByteLength, Little, NoCheck, "\xAA\x00"s + Good, { { 0, 7 } }, Counts(1, 1, 0, 1) },
        TLengthCase { "ShorterThanThePayloadSent", ByteLength, Little, TChecksumKind::Sum8,
            "\xAA\x02\x05\x06\x07\x08\x1A"s + "\xAA\x02\x07\x00\x09"s, { { 0, 7 } }, Counts(1, 0, 1, 6) }),
    [](const testing::TestParamInfo<TLengthCase> &info) { return std::string(info.param.Name); });

// The demo device's shape: header AA 55, three channels of int16, CRC-16/MODBUS.
const TFrameFormat DemoFormat
    = Format("\xAA\x55", 3, TSampleType::Int16, Little, TFrameLength::Fixed, TChecksumKind::Crc16Modbus);

TEST(BinaryFrameResyncTest, FindsTheNextGoodFrameAfterACorruptedOrCutFrame)
{
    const std::string first = Frame(DemoFormat, Int16s({ 1, 2, 3 }));
    std::string corrupted = Frame(DemoFormat, Int16s({ 4, 5, 6 }));
    corrupted[4] ^= 0x10;
    const std::string last = Frame(DemoFormat, Int16s({ 7, 8, 9 }));
    struct {
        const char *Name;
        std::string Stream;
        TDecoderCounts Counts;
    } const cases[] = {
        { "a corrupted byte", first + corrupted + last, Counts(2, 0, 1, 9) },
        // The cut frame's ten bytes take in the next frame's start; the search goes on one byte after its header.
        { "a frame cut short", first + corrupted.substr(0, 5) + last, Counts(2, 0, 1, 4) },
        { "noise before the first header", "\x55\xAA\x00"s + first + last, Counts(2, 0, 0, 3) },
    };
    for (const auto &c : cases) {
        const TDecoded decoded = Decode(DemoFormat, { c.Stream });
        EXPECT_EQ(ChannelValues(decoded.Samples),
            (TChannelValues { { 0, 1 }, { 1, 2 }, { 2, 3 }, { 0, 7 }, { 1, 8 }, { 2, 9 } }))
            << c.Name;
        EXPECT_EQ(decoded.Counts, c.Counts) << c.Name;
    }
}

TEST(BinaryFrameResyncTest, CarriesAHeaderSplitAcrossTwoReads)
{
    const std::string frame = Frame(DemoFormat, Int16s({ -1, 0, 1 }));
    struct {
        const char *Name;
        std::string First, Second;
        uint64_t Skipped;
    } const cases[] = {
        { "between the header's bytes", "\x01\xAA"s, frame.substr(1), 1 },
        { "a header's first byte that the next read does not go on", "\x01\xAA"s, frame, 2 },
    };
    for (const auto &c : cases) {
        const TDecoded decoded = Decode(DemoFormat, { c.First, c.Second });
        EXPECT_EQ(ChannelValues(decoded.Samples), (TChannelValues { { 0, -1 }, { 1, 0 }, { 2, 1 } })) << c.Name;
        EXPECT_EQ(decoded.Counts, Counts(1, 0, 0, c.Skipped)) << c.Name;
    }
}

TEST(BinaryFrameNoHeaderTest, CutsFramesBackToBackFromTheStartOrReset)
{
    const TFrameFormat format = Format("", 2, TSampleType::UInt8);
    TBinaryFrameDecoder decoder(format);
    std::vector<TSample> samples;
    decoder.Feed("\x01\x02\x03\x04\x05", {}, 1, samples);
    EXPECT_EQ(ChannelValues(samples), (TChannelValues { { 0, 1 }, { 1, 2 }, { 0, 3 }, { 1, 4 } }));
    samples.clear();
    decoder.Reset();
    decoder.Feed("\x06\x07", {}, 1, samples);
    EXPECT_EQ(ChannelValues(samples), (TChannelValues { { 0, 6 }, { 1, 7 } }));
    EXPECT_EQ(decoder.Counts(), Counts(3, 0, 0, 0));
}

TEST(BinaryFrameNoHeaderTest, LinesUpAgainAfterALostByteWhenFramesCarryAChecksum)
{
    const TFrameFormat format = Format("", 2, TSampleType::UInt8, Little, TFrameLength::Fixed, TChecksumKind::Sum8);
    // Frames 01 02 03, 04 05 09, 06 07 0D with the first byte lost: the cut moves on a byte after each failure.
    const TDecoded decoded = Decode(format, { "\x02\x03\x04\x05\x09\x06\x07\x0D"s });
    EXPECT_EQ(ChannelValues(decoded.Samples), (TChannelValues { { 0, 4 }, { 1, 5 }, { 0, 6 }, { 1, 7 } }));
    EXPECT_EQ(decoded.Counts, Counts(2, 0, 2, 0));
}

TEST(BinaryFrameTimeTest, DatesAFrameByTheRunHoldingItsLastByte)
{
    const TFrameFormat format = Format("\xAA", 1, TSampleType::UInt8);
    TBinaryFrameDecoder decoder(format);
    std::vector<TSample> samples;
    decoder.Feed("\xAA\x01", {}, 1.0, samples);
    // Frames 2 and 3 end in the first run and are spread over the time since the read before; frame 4 begins in the
    // second run and ends in the next read.
    const TTimedRun runs[] = { { 4, 1.04 }, { 5, 1.06 } };
    decoder.Feed("\xAA\x02\xAA\x03\xAA", runs, 0, samples);
    decoder.Feed("\x04", {}, 1.5, samples);
    EXPECT_EQ(samples, (std::vector<TSample> { { 0, 1, 1.0 }, { 0, 2, 1.02 }, { 0, 3, 1.04 }, { 0, 4, 1.5 } }));
}

TEST(BinaryFrameTimeTest, DatesAFrameFoundInsideAFailedOneByTheByteThatFailedIt)
{
    // "AA 08 ..." claims eight samples; its checksum byte comes in the second run of the second read and is wrong,
    // and the frame "AA 01 07 08" inside it, whole since the first read, is found then.
    const TFrameFormat format = Format("\xAA", 8, TSampleType::UInt8, Little, TFrameLength::Byte, TChecksumKind::Sum8);
    TBinaryFrameDecoder decoder(format);
    std::vector<TSample> samples;
    decoder.Feed("\xAA\x08\xAA\x01\x07\x08"s, {}, 1, samples);
    EXPECT_TRUE(samples.empty());
    const TTimedRun runs[] = { { 4, 1.04 }, { 5, 1.06 } };
    decoder.Feed("\x01\x02\x03\x04\x00"s, runs, 0, samples);
    EXPECT_EQ(samples, (std::vector<TSample> { { 0, 7, 1.06 } }));
    EXPECT_EQ(decoder.Counts(), Counts(1, 0, 1, 6)); // the length byte 08 and the bytes after the found frame
}

TEST(BinaryFrameChannelTest, NamesEveryChannelAndHoldsTheFormatToItsLimits)
{
    const TBinaryFrameDecoder sixteen(Format("", 16, TSampleType::UInt8));
    ASSERT_EQ(sixteen.ChannelNames().size(), 16u);
    EXPECT_EQ(sixteen.ChannelNames()[0], "数据1"s);
    EXPECT_EQ(sixteen.ChannelNames()[15], "数据16"s);

    EXPECT_EQ(TBinaryFrameDecoder(Format("", 0, TSampleType::UInt8)).ChannelNames().size(), 1u);
    EXPECT_EQ(TBinaryFrameDecoder(Format("", 17, TSampleType::UInt8)).ChannelNames().size(), 16u);
    EXPECT_EQ(TBinaryFrameDecoder(Format("123456789", 1, TSampleType::UInt8)).Format().Header, "12345678");
}

// The samples, times and counts are the same however a stream is cut into reads: every byte is its own run,
// byte i arriving at i ms, and the reads are cut at every point, or a byte at a time.
TEST(BinaryFrameCutTest, GivesTheSameSamplesHoweverTheBytesAreCut)
{
    const TFrameFormat variable
        = Format("\xAA\x55\xAA", 4, TSampleType::Int16, Big, TFrameLength::TwoBytes, TChecksumKind::Crc32);
    const TFrameFormat headerless = Format("", 2, TSampleType::UInt8, Little, TFrameLength::Fixed, TChecksumKind::Sum8);
    std::string corrupted = Frame(DemoFormat, Int16s({ 4, 5, 6 }));
    corrupted[6] ^= 1;
    const struct {
        const char *Name;
        TFrameFormat Format;
        std::string Stream;
    } streams[] = {
        { "fixed frames with noise, a corrupted and a cut frame", DemoFormat,
            "\xAA\x01"s + Frame(DemoFormat, Int16s({ 1, 2, 3 })) + corrupted + corrupted.substr(0, 7)
                + Frame(DemoFormat, Int16s({ 7, 8, 9 })) + "\xAA" },
        { "a length field, lying and true, and a header that repeats its first byte", variable,
            "\xAA\x55\xAA\x55\xAA\x00\x09"s + Frame(variable, "\x00\x01\x00\x02"s) + "\xAA\x55"
                + Frame(variable, "\x12\x34"s) + Frame(variable, "\xAA\x55\xAA\x00\x00\x01\x00\x02"s)
                + Frame(variable, "\x00\x05"s).substr(0, 9) },
        { "no header, a lost byte", headerless, "\x02\x03\x04\x05\x09\x06\x07\x0D\x08"s },
    };
    for (const auto &s : streams) {
        std::vector<TTimedRun> runs;
        for (std::size_t i = 0; i < s.Stream.size(); ++i)
            runs.push_back({ i + 1, 0.001 * double(i) });
        const auto decode = [&](const std::vector<std::size_t> &cuts) {
            TBinaryFrameDecoder decoder(s.Format);
            TDecoded decoded;
            std::size_t from = 0;
            for (std::size_t to : cuts) {
                std::vector<TTimedRun> readRuns;
                for (std::size_t i = from; i < to; ++i)
                    readRuns.push_back({ i + 1 - from, runs[i].Time });
                decoder.Feed(std::string_view(s.Stream).substr(from, to - from), readRuns, 0, decoded.Samples);
                from = to;
            }
            decoded.Counts = decoder.Counts();
            return decoded;
        };
        const TDecoded whole = decode({ s.Stream.size() });
        EXPECT_GE(whole.Counts.Taken, 2u) << s.Name;
        EXPECT_GE(whole.Counts.ChecksumErrors + whole.Counts.Rejected, 1u) << s.Name;
        std::vector<std::size_t> bytewise;
        for (std::size_t to = 1; to <= s.Stream.size(); ++to)
            bytewise.push_back(to);
        std::vector<std::vector<std::size_t>> cutsList { bytewise };
        for (std::size_t cut = 0; cut <= s.Stream.size(); ++cut)
            cutsList.push_back({ cut, s.Stream.size() });
        for (const auto &cuts : cutsList) {
            const TDecoded pieces = decode(cuts);
            EXPECT_EQ(pieces.Samples, whole.Samples) << s.Name << ", first cut at " << cuts[0];
            EXPECT_EQ(pieces.Counts, whole.Counts) << s.Name << ", first cut at " << cuts[0];
        }
    }
}

} // namespace
