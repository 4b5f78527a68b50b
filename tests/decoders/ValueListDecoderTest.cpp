// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoders/ValueListDecoder.h"

#include "DecoderTestSupport.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{

// The channel names in order of first appearance among the samples: the channels a decoder should have made.
std::vector<std::string> NamesByFirstSample(const TSampleDecoder &decoder, const std::vector<TSample> &samples)
{
    std::vector<std::string> names;
    for (const TSample &sample : samples) {
        const std::string &name = decoder.ChannelNames().at(sample.Channel);
        if (std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    }
    return names;
}

// "<prefix>1:1,<prefix>2:2,..." up to `count` fields, a line of its own; `labelled` false gives "1,2,...".
std::string Fields(int count, bool labelled = true)
{
    std::string line;
    for (int k = 1; k <= count; ++k)
        line += (k > 1 ? "," : "") + (labelled ? "n" + std::to_string(k) + ":" : "") + std::to_string(k);
    return line + "\n";
}

// What Fields(count, labelled) reads as: "n1=1 n2=2 ..." or "数据1=1 数据2=2 ...".
std::string Read(int count, bool labelled = true)
{
    std::string text;
    for (int k = 1; k <= count; ++k)
        text += (k > 1 ? " " : "") + (labelled ? "n" : std::string("数据")) + std::to_string(k) + "="
            + std::to_string(k);
    return text;
}

struct TListCase {
    const char *Name;
    std::vector<std::string> Reads;
    std::string Samples; // as NamedValues writes them
    TDecoderCounts Counts;
};

void PrintTo(const TListCase &c, std::ostream *out)
{
    *out << c.Name;
}

class ValueLists : public testing::TestWithParam<TListCase>
{
};

TEST_P(ValueLists, FieldsGoToTheirChannelsAndTheRestIsCounted)
{
    TValueListDecoder decoder;
    const std::vector<TSample> samples = FeedReads(decoder, GetParam().Reads);
    EXPECT_EQ(NamedValues(decoder, samples), GetParam().Samples);
    EXPECT_EQ(decoder.ChannelNames(), NamesByFirstSample(decoder, samples)) << "channels in order of first appearance";
    EXPECT_EQ(decoder.Counts(), GetParam().Counts);
}

const std::string Gbk = "\xCE\xC2\xB6\xC8"; // "温度" as a device sends it
const std::string Name32(32, 'n');
std::string Repeated(const std::string &text, int times)
{
    std::string repeated;
    while (times-- > 0)
        repeated += text;
    return repeated;
}
const std::string Gbk32 = Repeated("\xCE\xC2", 32); // 32 characters in 64 bytes

INSTANTIATE_TEST_SUITE_P(Cases, ValueLists,
    testing::Values(
        // Labels
        TListCase { "ColonAndEquals", { "temp:23.5,hum=41\n" }, "temp=23.5 hum=41", { .Taken = 1 } },
        TListCase {
            "BlanksAroundTheMark", { "a: 1, b = 2; c :3\tdd\t=\t4 e:5\n" }, "a=1 b=2 c=3 dd=4 e=5", { .Taken = 1 } },
        TListCase { "ANameAfterBlanksIsTheNextFieldNotAValue", { "a: b:1 c = d=2\n" }, "b=1 d=2",
            { .Taken = 1, .SkippedFields = 2 } },
        TListCase { "ANameWithoutItsMarkIsAWord", { "temp 23.5\n" }, "", { .Rejected = 1 } },
        TListCase { "TheSameNameTwiceInALine", { "a:1,a:2\n" }, "a=1 a=2", { .Taken = 1 } },
        TListCase {
            "GbkNamesAreKeptAsSent", { Gbk + ":25," + Gbk + "2=26\n" }, Gbk + "=25 " + Gbk + "2=26", { .Taken = 1 } },
        TListCase {
            "ALabelCutBetweenReads", { "te", "mp: 2", "3.5\r", "\nhum", "=4\n" }, "temp=23.5 hum=4", { .Taken = 2 } },
        // Labelled and unlabelled fields together
        TListCase { "MixedFields", { "temp:23.5,7,hum:41,8\n" }, "temp=23.5 数据1=7 hum=41 数据2=8", { .Taken = 1 } },
        TListCase { "PositionsCountOnlyUnlabelledNumbers", { "1,2\n", "x:5,3\n" }, "数据1=1 数据2=2 x=5 数据1=3",
            { .Taken = 2 } },
        TListCase { "ChannelsInOrderOfFirstAppearance", { "b:1,3\n", "a:2,b:4,5\n" }, "b=1 数据1=3 a=2 b=4 数据1=5",
            { .Taken = 2 } },
        // What is skipped, what drops the line
        TListCase {
            "StateOkIsSkippedTheRestIsTaken", { "state:OK,temp:1\n" }, "temp=1", { .Taken = 1, .SkippedFields = 1 } },
        TListCase { "ALineOfOnlyUnreadableLabels", { "state:OK\n" }, "", { .Rejected = 1, .SkippedFields = 1 } },
        TListCase { "MissingValues", { "a:,b=,c: ;d:1;e:\n" }, "d=1", { .Taken = 1, .SkippedFields = 4 } },
        TListCase { "NotNumbersAfterALabel", { "a:inf,b:nan,c:1e,d:12V,e:0x10,f:1:2\n" }, "e=16",
            { .Taken = 1, .SkippedFields = 5 } },
        TListCase { "EmptyAndOverlongNames", { ":1,=2," + Name32 + "n:3," + Name32 + ":4\n" }, Name32 + "=4",
            { .Taken = 1, .SkippedFields = 3 } },
        TListCase { "ThirtyTwoGbkCharactersAreAName", { Gbk32 + ":5," + Gbk32 + "\xCE\xC2:6\n" }, Gbk32 + "=5",
            { .Taken = 1, .SkippedFields = 1 } },
        TListCase { "StrayBytesBeforeALabelMakeNoName",
            { "E\xD5\x01temp:1,\x1B[0mtemp:2,\x80temp:3,\xFFtemp:4,\xD5\x7Ftemp:5,\x7Ftemp:6,temp:7\n" }, "temp=7",
            { .Taken = 1, .SkippedFields = 6 } },
        TListCase { "ALeadByteWithoutItsSecondIsNoName", { "temp\xD5:1,temp:2\n" }, "temp=2",
            { .Taken = 1, .SkippedFields = 1 } },
        TListCase { "PlainTextMakesNothing", { "Booting...\n", "Ready at 115200 baud\r\n" }, "", { .Rejected = 2 } },
        TListCase { "AnUnlabelledWordDropsItsLineWhole", { "temp:1,abc\n", "2,x\n" }, "", { .Rejected = 2 } },
        TListCase { "AnEmptyFieldDropsALabelledLineToo", { "a:1,,b:2\n" }, "", { .Rejected = 1 } },
        TListCase { "BlankLinesAreSkippedUncounted", { "\n \t\n\r\n", "\n" }, "", {} },
        // Sixteen channels
        TListCase { "SixteenNames", { Fields(16) }, Read(16), { .Taken = 1 } },
        TListCase { "TheSeventeenthNameIsDropped", { Fields(17) }, Read(16), { .Taken = 1, .DroppedNames = 1 } },
        TListCase { "ALineOfOnlyDroppedNamesIsRejected", { Fields(16), "n17:17\n", "n16:16\n" }, Read(16) + " n16=16",
            { .Taken = 2, .Rejected = 1, .DroppedNames = 1 } },
        TListCase {
            "SeventeenUnlabelledNumbers", { Fields(17, false) }, Read(16, false), { .Taken = 1, .DroppedNames = 1 } },
        TListCase { "PositionsShareTheSixteen", { "a:1,2\n", Fields(16, false) }, "a=1 数据1=2 " + Read(15, false),
            { .Taken = 2, .DroppedNames = 1 } }),
    [](const testing::TestParamInfo<TListCase> &info) { return std::string(info.param.Name); });

// Lines of unlabelled numbers read as the multi-channel line rule has always read them, now up to 16 values.
struct TUnlabelledCase {
    const char *Name;
    std::string Line;
    std::vector<double> Values; // empty: the line is rejected
};

void PrintTo(const TUnlabelledCase &c, std::ostream *out)
{
    *out << c.Name;
}

class UnlabelledLines : public testing::TestWithParam<TUnlabelledCase>
{
};

TEST_P(UnlabelledLines, ReadTheValuesOrRejectTheWholeLine)
{
    TValueListDecoder decoder;
    std::vector<TSample> samples;
    decoder.Feed(GetParam().Line + "\n", {}, 1, samples);
    std::vector<double> values;
    for (std::size_t k = 0; k < samples.size(); ++k) {
        EXPECT_EQ(decoder.ChannelNames().at(samples[k].Channel), "数据" + std::to_string(k + 1));
        values.push_back(samples[k].Value);
    }
    EXPECT_EQ(values, GetParam().Values);
    EXPECT_EQ(decoder.Counts().Rejected, GetParam().Values.empty() ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Cases, UnlabelledLines,
    testing::Values(
        // Separators
        TUnlabelledCase { "Commas", "1,2,3", { 1, 2, 3 } }, TUnlabelledCase { "Semicolons", "1;2;3", { 1, 2, 3 } },
        TUnlabelledCase { "Blanks", "1 2   3", { 1, 2, 3 } }, TUnlabelledCase { "Tabs", "1\t2\t\t3", { 1, 2, 3 } },
        TUnlabelledCase { "CommaWithBlanks", " 1 , 2 ;\t3 ", { 1, 2, 3 } },
        TUnlabelledCase { "TrailingComma", "1,2,3,", { 1, 2, 3 } }, TUnlabelledCase { "OneValue", "7", { 7 } },
        TUnlabelledCase { "EmptyField", "1,,3", {} }, TUnlabelledCase { "LeadingComma", ",1,2", {} },
        TUnlabelledCase { "TwoTrailingCommas", "1,2,,", {} }, TUnlabelledCase { "OnlySeparators", " , ", {} },
        // Decimals and exponents
        TUnlabelledCase { "Decimals", "12.5,-0.25,+3.", { 12.5, -0.25, 3 } },
        TUnlabelledCase { "LeadingPoint", ".5", { 0.5 } },
        TUnlabelledCase { "Exponent", "1e3,2.5E-2,-1e+2", { 1000, 0.025, -100 } },
        TUnlabelledCase { "BeyondInt32", "3000000000", { 3e9 } }, TUnlabelledCase { "SecondPoint", "1.2.3", {} },
        TUnlabelledCase { "ExponentWithoutDigits", "1e", {} }, TUnlabelledCase { "LonePoint", ".", {} },
        TUnlabelledCase { "OutOfRange", "1e400", {} }, TUnlabelledCase { "Infinity", "inf", {} },
        TUnlabelledCase { "NotANumber", "nan", {} },
        // Whole-number forms
        TUnlabelledCase { "HexForms", "$FF,0x10,X1f,-$10", { 255, 16, 31, -16 } },
        TUnlabelledCase { "HexPattern", "$FFFFFFFF", { -1 } }, TUnlabelledCase { "LeadingZeros", "007,-0", { 7, 0 } },
        TUnlabelledCase { "HexTooLong", "$123456789", {} }, TUnlabelledCase { "HexWithoutDigits", "0x", {} },
        // Counts and bad tokens
        TUnlabelledCase { "EightValues", "1,2,3,4,5,6,7,8", { 1, 2, 3, 4, 5, 6, 7, 8 } },
        TUnlabelledCase { "NineValues", "1,2,3,4,5,6,7,8,9", { 1, 2, 3, 4, 5, 6, 7, 8, 9 } },
        TUnlabelledCase { "AWord", "1,abc,3", {} }, TUnlabelledCase { "UnitAfterNumber", "12V,3", {} },
        TUnlabelledCase { "CarriageReturnEndsTheLine", "1,2\r", { 1, 2 } }, TUnlabelledCase { "SignOnly", "1,-", {} }),
    [](const testing::TestParamInfo<TUnlabelledCase> &info) { return std::string(info.param.Name); });

TEST(ValueListDecoder, ReceivedNamesAreToldFromMadeOnesAndNeverShareAChannel)
{
    TValueListDecoder decoder;
    const std::vector<TSample> samples = FeedReads(decoder, { Gbk + ":25,7,数据1:3\n" });
    EXPECT_EQ(samples, (std::vector<TSample> { { 0, 25, 1 }, { 1, 7, 1 }, { 2, 3, 1 } }));
    EXPECT_EQ(decoder.ChannelNames(), (std::vector<std::string> { Gbk, "数据1", "数据1" }));
    EXPECT_TRUE(decoder.ReceivedName(0));
    EXPECT_FALSE(decoder.ReceivedName(1));
    EXPECT_TRUE(decoder.ReceivedName(2));
    EXPECT_FALSE(decoder.ReceivedName(3));
}

TEST(ValueListDecoder, ResetForgetsTheOpenLinePassesOverTheNextAndKeepsTheChannels)
{
    TValueListDecoder decoder;
    FeedReads(decoder, { "a:1\n", "b:" });
    decoder.Reset();
    EXPECT_EQ(NamedValues(decoder, FeedReads(decoder, { "2\n", "a:3,4\n" })), "a=3 数据1=4");
    EXPECT_EQ(decoder.ChannelNames(), (std::vector<std::string> { "a", "数据1" }));
}

} // namespace
