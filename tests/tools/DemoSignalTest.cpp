// SPDX-License-Identifier: GPL-3.0-or-later
// What the demo device sends, read back by the program's own decoders: the values it meant, however the bytes are cut.
#include "tools/DemoSignal.h"

#include "decoders/BinaryFrameDecoder.h"
#include "decoders/ValueListDecoder.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{

constexpr long Bursts = 2 * DemoBurstsPerText + 3; // two lines of text among the lines

// The bursts from the start, each cut into reads of 1, 2, 3, ... 7 bytes in turn, as a port may deliver them.
std::vector<TSample> DecodeBursts(TDemoFormat format, TSampleDecoder &decoder, long &samples)
{
    samples = 0;
    std::vector<TSample> out;
    std::size_t cut = 1;
    for (long burst = 0; burst < Bursts; ++burst) {
        const std::string bytes = DemoBurst(format, samples, burst);
        for (std::size_t at = 0; at < bytes.size(); at += cut, cut = cut % 7 + 1)
            decoder.Feed(std::string_view(bytes).substr(at, cut), {}, static_cast<double>(burst), out);
    }
    return out;
}

} // namespace

TEST(DemoSignal, BinaryFramesDecodeToTheValuesMeant)
{
    const TFrameFormat format = DemoFrameFormat();
    EXPECT_EQ(format,
        (TFrameFormat {
            "\xAA\x55", 3, TSampleType::Int16, TByteOrder::Little, TFrameLength::Fixed, TChecksumKind::Crc16Modbus }));
    TBinaryFrameDecoder decoder(format);
    long samples = 0;
    const std::vector<TSample> out = DecodeBursts(TDemoFormat::Binary, decoder, samples);
    EXPECT_EQ(samples, Bursts * DemoSamplesPerBurst) << "binary bursts carry no text";
    ASSERT_EQ(out.size(), static_cast<std::size_t>(3 * samples));
    bool negative = false;
    for (long sample = 0; sample < samples; ++sample) {
        const std::array<double, 3> meant = DemoFrameValues(sample);
        for (int channel = 0; channel < 3; ++channel) {
            const TSample &got = out[static_cast<std::size_t>(3 * sample + channel)];
            ASSERT_EQ(got.Channel, channel) << "sample " << sample;
            ASSERT_EQ(got.Value, meant[channel]) << "sample " << sample << " channel " << channel;
            negative = negative || got.Value < 0;
        }
    }
    EXPECT_TRUE(negative) << "the signed type is exercised";
    EXPECT_EQ(decoder.Counts(), (TDecoderCounts { .Taken = static_cast<uint64_t>(samples) }));
}

TEST(DemoSignal, LabelledLinesDecodeToTheNamedValuesMeantAndTheTextIsRejected)
{
    TValueListDecoder decoder;
    long samples = 0;
    const std::vector<TSample> out = DecodeBursts(TDemoFormat::Labelled, decoder, samples);
    EXPECT_EQ(samples, (Bursts - 3) * DemoSamplesPerBurst) << "three bursts of text";
    EXPECT_EQ(decoder.ChannelNames(), (std::vector<std::string> { "temp", "hum", "volt" }));
    ASSERT_EQ(out.size(), static_cast<std::size_t>(3 * samples));
    for (long sample = 0; sample < samples; ++sample) {
        const std::array<TDemoNamedValue, 3> meant = DemoLabelledValues(sample);
        for (int channel = 0; channel < 3; ++channel) {
            const TSample &got = out[static_cast<std::size_t>(3 * sample + channel)];
            ASSERT_EQ(got.Channel, channel) << "sample " << sample;
            ASSERT_EQ(got.Value, meant[channel].Value) << "sample " << sample << " " << meant[channel].Name;
        }
    }
    const TDecoderCounts counts = decoder.Counts();
    EXPECT_EQ(counts.Taken, static_cast<uint64_t>(samples));
    EXPECT_EQ(counts.Rejected, 3u);
    EXPECT_EQ(counts.SkippedFields + counts.DroppedNames, 0u);
}

TEST(DemoSignal, TheDefaultStaysOneWholeNumberALine)
{
    long sample = 0;
    EXPECT_EQ(DemoBurst(TDemoFormat::Numbers, sample, 0).back(), '\n');
    EXPECT_EQ(sample, 0) << "the first burst is text";
    const std::string burst = DemoBurst(TDemoFormat::Numbers, sample, 1);
    EXPECT_EQ(sample, DemoSamplesPerBurst);
    EXPECT_EQ(burst.substr(0, 7), "20000\r\n");
    EXPECT_EQ(burst.size(), static_cast<std::size_t>(7 * DemoSamplesPerBurst));
}

TEST(DemoSignal, FormatWords)
{
    EXPECT_EQ(DemoFormatOfWord("numbers"), TDemoFormat::Numbers);
    EXPECT_EQ(DemoFormatOfWord("labelled"), TDemoFormat::Labelled);
    EXPECT_EQ(DemoFormatOfWord("binary"), TDemoFormat::Binary);
    EXPECT_EQ(DemoFormatOfWord("labeled"), std::nullopt);
    EXPECT_EQ(DemoFormatOfWord(""), std::nullopt);
}
