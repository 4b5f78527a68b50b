// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoders/WholeNumberLineDecoder.h"

#include "DecoderTestSupport.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{

struct TWholeNumberCase {
    const char *Name;
    std::vector<std::string> Reads;
    std::vector<double> Values;
    uint64_t Rejected = 0;
};

void PrintTo(const TWholeNumberCase &c, std::ostream *out)
{
    *out << c.Name;
}

class WholeNumberLines : public testing::TestWithParam<TWholeNumberCase>
{
};

TEST_P(WholeNumberLines, EachLineGivesItsNumberOrIsCounted)
{
    TWholeNumberLineDecoder decoder;
    std::vector<double> values;
    for (const TSample &sample : FeedReads(decoder, GetParam().Reads)) {
        EXPECT_EQ(sample.Channel, 0);
        values.push_back(sample.Value);
    }
    EXPECT_EQ(values, GetParam().Values);
    EXPECT_EQ(
        decoder.Counts(), (TDecoderCounts { .Taken = GetParam().Values.size(), .Rejected = GetParam().Rejected }));
    EXPECT_EQ(decoder.ChannelNames(), std::vector<std::string> { "数据" });
}

INSTANTIATE_TEST_SUITE_P(Cases, WholeNumberLines,
    testing::Values(
        TWholeNumberCase { "AValueSplitAcrossReadsIsTakenOnceWhole", { "50000", "0058\r\n" }, { 500000058 } },
        TWholeNumberCase { "ShortValues", { "512\n", "0\n", "-1\n", "9999\r\n" }, { 512, 0, -1, 9999 } },
        TWholeNumberCase { "LfOnlyAndCrOnlyEndLines", { "1\n2\n", "3\r4\r" }, { 1, 2, 3, 4 } },
        TWholeNumberCase { "CrLfSplitBetweenReadsEndsOneLine", { "5\r", "\n6\r\n" }, { 5, 6 } },
        TWholeNumberCase { "EmptyLinesAreSkippedUncounted", { "12345\r\n\r\n", " \t\n678\r\n" }, { 12345, 678 } },
        TWholeNumberCase { "BlanksAndTabsAroundTheNumberAreIgnored", { " 12 \n", "\t-3\t\r\n" }, { 12, -3 } },
        TWholeNumberCase { "NotWholeNumbers", { "12.50\r\n", "12e34\n", "1,234\n", "hello\n", "1 2\n" }, {}, 5 },
        TWholeNumberCase {
            "HexadecimalPatterns", { "$FFFFFFFF\n", "0x3039\n", "   12345\n", "00042\n" }, { -1, 12345, 12345, 42 } },
        TWholeNumberCase { "ThreeLinesInOneRead", { "11111\r\n22222\r\n33333\r\n" }, { 11111, 22222, 33333 } },
        TWholeNumberCase { "AnOpenLineWaitsForItsEnd", { "1\n", "23" }, { 1 } }),
    [](const testing::TestParamInfo<TWholeNumberCase> &info) { return std::string(info.param.Name); });

TEST(WholeNumberLineDecoder, ALineStandsAtTheTimeOfTheRunThatEndsIt)
{
    TWholeNumberLineDecoder decoder;
    std::vector<TSample> samples;
    decoder.Feed("12", {}, 5, samples);
    const TTimedRun runs[] = { { 4, 6 }, { 6, 7 } };
    decoder.Feed("3\n4\n5\n", runs, 0, samples);
    // "123" and "4" end in the run at 6 and are spread over the tenth of a second before it; "5" ends in the run at 7.
    ASSERT_EQ(NamedValues(decoder, samples), "数据=123 数据=4 数据=5");
    EXPECT_DOUBLE_EQ(samples[0].Time, 5.95);
    EXPECT_DOUBLE_EQ(samples[1].Time, 6);
    EXPECT_DOUBLE_EQ(samples[2].Time, 7);
}

TEST(WholeNumberLineDecoder, ResetForgetsTheOpenLinePassesOverTheNextAndResetCountsTheCounts)
{
    TWholeNumberLineDecoder decoder;
    FeedReads(decoder, { "x\n", "12" });
    decoder.Reset();
    // "34" may be the end of a line begun before the port opened again: only the line after it is read.
    EXPECT_EQ(NamedValues(decoder, FeedReads(decoder, { "34\n", "56\n" })), "数据=56");
    EXPECT_EQ(decoder.Counts(), (TDecoderCounts { .Taken = 1, .Rejected = 1 }));
    decoder.ResetCounts();
    EXPECT_EQ(decoder.Counts(), TDecoderCounts {});
}

} // namespace
