// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoders/BinaryFrameDecoder.h"

#include <algorithm>
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
    TFrameLength length = TFrameLength::Fixed, TChecksumKind checksum = TChecksumKind::None,
    TChecksumScope scope = TChecksumScope::LengthAndData, TChecksumOrder checksumOrder = TChecksumOrder::Frame)
{
    return TFrameFormat { std::move(header), channels, type, order, length, checksum, scope, checksumOrder };
}

// The check's bytes as the format sends them.
std::string ChecksumBytes(const TFrameFormat &format, uint32_t check)
{
    bool highFirst = format.ChecksumOrder == TChecksumOrder::Big;
    if (format.ChecksumOrder == TChecksumOrder::Frame)
        highFirst = format.Order == TByteOrder::Big && format.Checksum != TChecksumKind::Crc16Modbus;
    std::string bytes;
    const std::size_t size = ChecksumSize(format.Checksum);
    for (std::size_t i = 0; i < size; ++i)
        bytes += char(check >> (8 * (highFirst ? size - 1 - i : i)));
    return bytes;
}

// A frame as a device sends it: header, length field, payload, checksum over the length field and the payload or
// over the payload alone.
std::string Frame(const TFrameFormat &format, const std::string &payload)
{
    const bool big = format.Order == TByteOrder::Big;
    std::string length;
    if (format.Length == TFrameLength::Byte)
        length = std::string(1, char(payload.size()));
    else if (format.Length == TFrameLength::TwoBytes)
        length = big ? std::string { char(payload.size() >> 8), char(payload.size()) }
                     : std::string { char(payload.size()), char(payload.size() >> 8) };
    const bool payloadOnly = format.ChecksumScope == TChecksumScope::Data;
    const uint32_t check = ComputeChecksum(format.Checksum, payloadOnly ? payload : length + payload);
    return format.Header + length + payload + ChecksumBytes(format, check);
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
    TChecksumOrder ChecksumOrder = TChecksumOrder::Frame;
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
    const TFrameFormat format = Format("\xAA", 9, TSampleType::UInt8, c.Order, TFrameLength::Fixed, c.Kind,
        TChecksumScope::LengthAndData, c.ChecksumOrder);
    const TDecoded good = Decode(format, { "\xAA"s + "123456789" + c.Sent });
    ASSERT_EQ(good.Samples.size(), 9u);
    EXPECT_EQ(good.Samples[8], (TSample { 8, '9', 1 }));
    EXPECT_EQ(good.Counts, Counts(1, 0, 0, 0));
    if (c.Kind == TChecksumKind::None)
        return;

    const TDecoded changed = Decode(format, { "\xAA"s + "123456780" + c.Sent });
    EXPECT_TRUE(changed.Samples.empty());
    EXPECT_EQ(changed.Counts, Counts(0, 0, 1, 10 + c.Sent.size())) << "the whole frame dropped";
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
        TChecksumCase { "Crc32Big", TChecksumKind::Crc32, Big, "\xCB\xF4\x39\x26" },
        TChecksumCase { "Crc16CcittFalseHighByteFirstInALittleEndianFrame", TChecksumKind::Crc16CcittFalse, Little,
            "\x29\xB1", TChecksumOrder::Big },
        TChecksumCase {
            "Crc16ModbusHighByteFirst", TChecksumKind::Crc16Modbus, Little, "\x4B\x37", TChecksumOrder::Big },
        TChecksumCase {
            "Crc16ModbusLowByteFirst", TChecksumKind::Crc16Modbus, Big, "\x37\x4B", TChecksumOrder::Little },
        TChecksumCase { "Crc32LowByteFirstInABigEndianFrame", TChecksumKind::Crc32, Big, "\x26\x39\xF4\xCB",
            TChecksumOrder::Little }),
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
    TChecksumScope Scope = TChecksumScope::LengthAndData;
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
        = Decode(Format("\xAA", 2, TSampleType::UInt16, c.Order, c.Length, c.Checksum, c.Scope), { c.Stream });
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
        TLengthCase { "OutsideAPayloadOnlyChecksum", ByteLength, Little, TChecksumKind::Sum8, "\xAA\x02\x05\x06\x0B"s,
            { { 0, 0x0605 } }, Counts(1, 0, 0, 0), TChecksumScope::Data },
        TLengthCase { "CheckedWhenTheChecksumCoversIt", ByteLength, Little, TChecksumKind::Sum8,
            "\xAA\x02\x05\x06\x0B"s + Good + "\x09", { { 0, 7 } }, Counts(1, 0, 1, 5) },
        TLengthCase { "NotCheckedWhenThePayloadAloneIs", ByteLength, Little, TChecksumKind::Sum8,
            "\xAA\x02\x05\x06\x0D"s + Good + "\x07", { { 0, 7 } }, Counts(1, 0, 1, 5), TChecksumScope::Data },
        TLengthCase { "MoreSamplesThanChannels", ByteLength, Little, NoCheck, "\xAA\x06\x01\x00\x02\x00"s + Good,
            { { 0, 7 } }, Counts(1, 1, 0, 6) },
        TLengthCase { "TooLongInTheHighByte", TwoByteLength, Little, NoCheck,
            "\xAA\x02\x01\x09\x00"s + "\xAA\x02\x00\x07\x00"s, { { 0, 7 } }, Counts(1, 1, 0, 5) },
        TLengthCase { "NotAWholeNumberOfSamples", ByteLength, Little, NoCheck, "\xAA\x03\x01\x00\x02"s + Good,
            { { 0, 7 } }, Counts(1, 1, 0, 5) },
        TLengthCase { "NoSamples", ByteLength, Little, NoCheck, "\xAA\x00"s + Good, { { 0, 7 } }, Counts(1, 1, 0, 2) },
        TLengthCase { "ShorterThanThePayloadSent", ByteLength, Little, TChecksumKind::Sum8,
            "\xAA\x02\x05\x06\x07\x08\x1A"s + "\xAA\x02\x07\x00\x09"s, { { 0, 7 } }, Counts(1, 0, 1, 7) }),
    [](const testing::TestParamInfo<TLengthCase> &info) { return std::string(info.param.Name); });

// Frames with a length byte and two uint16 samples, made for every checksum of the window, what it covers and the
// order of its bytes, in frames of either byte order: each is taken, and refused when a payload bit flips, when its
// checksum covers other bytes than the format says, or when the checksum's bytes come the other way round.
TEST(BinaryFrameChecksumFormTest, TakesEachScopeAndOrderAndRefusesTheOthers)
{
    const TChecksumKind kinds[] = { TChecksumKind::Sum8, TChecksumKind::Xor8, TChecksumKind::Crc16Modbus,
        TChecksumKind::Crc16CcittFalse, TChecksumKind::Crc32 };
    const TChecksumScope scopes[] = { TChecksumScope::LengthAndData, TChecksumScope::Data };
    const TChecksumOrder checksumOrders[] = { TChecksumOrder::Frame, TChecksumOrder::Big, TChecksumOrder::Little };
    const std::string payload = "\x12\x34\x56\x78"s;
    for (const TChecksumKind kind : kinds) {
        for (const TChecksumScope scope : scopes) {
            for (const TChecksumOrder checksumOrder : checksumOrders) {
                for (const TByteOrder order : { Little, Big }) {
                    const TFrameFormat format = Format(
                        "\xAA\x55", 3, TSampleType::UInt16, order, TFrameLength::Byte, kind, scope, checksumOrder);
                    const std::string where = "checksum " + std::to_string(int(kind)) + ", scope "
                        + std::to_string(int(scope)) + ", checksum order " + std::to_string(int(checksumOrder))
                        + ", frame order " + std::to_string(int(order));
                    const std::string frame = Frame(format, payload);
                    const TDecoded good = Decode(format, { frame });
                    const TChannelValues expected = order == Big ? TChannelValues { { 0, 0x1234 }, { 1, 0x5678 } }
                                                                 : TChannelValues { { 0, 0x3412 }, { 1, 0x7856 } };
                    EXPECT_EQ(ChannelValues(good.Samples), expected) << where;
                    EXPECT_EQ(good.Counts, Counts(1, 0, 0, 0)) << where;

                    std::string flipped = frame;
                    flipped[4] ^= 0x01;
                    EXPECT_EQ(Decode(format, { flipped }).Counts, Counts(0, 0, 1, frame.size())) << where;

                    TFrameFormat otherScope = format;
                    otherScope.ChecksumScope
                        = scope == TChecksumScope::Data ? TChecksumScope::LengthAndData : TChecksumScope::Data;
                    EXPECT_EQ(Decode(format, { Frame(otherScope, payload) }).Counts.ChecksumErrors, 1u) << where;

                    const std::size_t size = ChecksumSize(kind);
                    if (size > 1) {
                        std::string swapped = frame;
                        std::reverse(swapped.end() - std::ptrdiff_t(size), swapped.end());
                        ASSERT_NE(swapped, frame) << where;
                        EXPECT_EQ(Decode(format, { swapped }).Counts.ChecksumErrors, 1u) << where;
                    }
                }
            }
        }
    }
}

// Every received byte that makes no frame counts once in the dropped bytes, whichever way it was lost, and an
// impossible length field counts as rejected. Each stream is followed by a Reset, as when the port opens again.
TEST(BinaryFrameDroppedBytesTest, CountsEveryByteThatMakesNoFrameOnce)
{
    const TFrameFormat lengthByte
        = Format("\xAA\x55", 2, TSampleType::UInt8, Little, TFrameLength::Byte, TChecksumKind::Sum8);
    const std::string good = Frame(lengthByte, "\x07\x08"s); // AA 55 02 07 08 11
    std::string corrupted = good;
    corrupted[3] ^= 0x40;
    const TFrameFormat headerless = Format("", 2, TSampleType::UInt8, Little, TFrameLength::Fixed, TChecksumKind::Sum8);
    const struct {
        const char *Name;
        TFrameFormat Format;
        std::string Stream;
        TDecoderCounts Counts;
    } rows[] = {
        { "noise and a header's first byte before a header", lengthByte, "\x01\x55\xAA\x01"s + good,
            Counts(1, 0, 0, 4) },
        { "a frame with a checksum error", lengthByte, corrupted + good, Counts(1, 0, 1, 6) },
        { "a length of more samples than channels", lengthByte, "\xAA\x55\x03\x01\x02\x03\x06"s + good,
            Counts(1, 1, 0, 7) },
        { "a length of no samples", lengthByte, "\xAA\x55\x00"s + good, Counts(1, 1, 0, 3) },
        { "a frame cut short by the next", lengthByte, good.substr(0, 4) + good, Counts(1, 0, 1, 4) },
        { "an unfinished frame forgotten at Reset", lengthByte, good + good.substr(0, 5), Counts(1, 0, 0, 5) },
        { "a header's first byte forgotten at Reset", lengthByte, good + "\xAA", Counts(1, 0, 0, 1) },
        { "no header: lost bytes and an unfinished frame", headerless, "\x02\x03\x04\x05\x09\x06"s,
            Counts(1, 0, 2, 3) },
    };
    for (const auto &row : rows) {
        TBinaryFrameDecoder decoder(row.Format);
        std::vector<TSample> samples;
        decoder.Feed(row.Stream, {}, 1, samples);
        decoder.Reset();
        EXPECT_EQ(decoder.Counts(), row.Counts) << row.Name;
        const std::size_t frameSize = row.Format.Header.empty() ? 3 : good.size();
        EXPECT_EQ(row.Counts.Taken * frameSize + row.Counts.SkippedBytes, row.Stream.size())
            << row.Name << ": every byte is in a frame taken or dropped";
        decoder.Reset();
        EXPECT_EQ(decoder.Counts(), row.Counts) << row.Name << ": nothing is left to forget";
    }
}

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
        { "a corrupted byte", first + corrupted + last, Counts(2, 0, 1, 10) },
        // The cut frame's ten bytes take in the next frame's start; the search goes on one byte after its header.
        { "a frame cut short", first + corrupted.substr(0, 5) + last, Counts(2, 0, 1, 5) },
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
    EXPECT_EQ(decoder.Counts(), Counts(3, 0, 0, 1)) << "the byte 05 forgotten at Reset";
}

TEST(BinaryFrameNoHeaderTest, LinesUpAgainAfterALostByteWhenFramesCarryAChecksum)
{
    const TFrameFormat format = Format("", 2, TSampleType::UInt8, Little, TFrameLength::Fixed, TChecksumKind::Sum8);
    // Frames 01 02 03, 04 05 09, 06 07 0D with the first byte lost: the cut moves on a byte after each failure.
    const TDecoded decoded = Decode(format, { "\x02\x03\x04\x05\x09\x06\x07\x0D"s });
    EXPECT_EQ(ChannelValues(decoded.Samples), (TChannelValues { { 0, 4 }, { 1, 5 }, { 0, 6 }, { 1, 7 } }));
    EXPECT_EQ(decoded.Counts, Counts(2, 0, 2, 2)) << "the bytes 02 and 03 dropped";
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
    EXPECT_EQ(decoder.Counts(), Counts(1, 0, 1, 7)); // AA 08 and the bytes after the found frame
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
    const TFrameFormat payloadOnly = Format("\xAA", 2, TSampleType::UInt16, Little, TFrameLength::Byte,
        TChecksumKind::Crc16CcittFalse, TChecksumScope::Data, TChecksumOrder::Big);
    std::string payloadOnlyCorrupted = Frame(payloadOnly, "\x05\x00"s);
    payloadOnlyCorrupted[2] ^= 0x02;
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
        { "a payload-only checksum sent high byte first", payloadOnly,
            Frame(payloadOnly, "\x01\x00"s) + payloadOnlyCorrupted + "\xAA\x04"
                + Frame(payloadOnly, "\x02\x00\x03\x00"s) + Frame(payloadOnly, "\x04\x00"s).substr(0, 4) },
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
