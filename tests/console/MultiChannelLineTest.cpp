// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/plotfeed/MultiChannelLine.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{

struct TLineCase {
    const char *Name;
    std::string Line;
    std::vector<double> Values; // empty: the line is rejected
};

void PrintTo(const TLineCase &c, std::ostream *out)
{
    *out << c.Name;
}

class MultiChannelLine : public testing::TestWithParam<TLineCase>
{
};

TEST_P(MultiChannelLine, ReadsTheValuesOrRejectsTheWholeLine)
{
    const std::optional<TLineValues> parsed = ParseMultiChannelLine(GetParam().Line);
    if (GetParam().Values.empty()) {
        EXPECT_FALSE(parsed) << "read " << (parsed ? parsed->Count : 0) << " values";
        return;
    }
    ASSERT_TRUE(parsed);
    EXPECT_EQ(std::vector<double>(parsed->Values.begin(), parsed->Values.begin() + parsed->Count), GetParam().Values);
}

INSTANTIATE_TEST_SUITE_P(Cases, MultiChannelLine,
    testing::Values(
        // Separators
        TLineCase { "Commas", "1,2,3", { 1, 2, 3 } }, TLineCase { "Semicolons", "1;2;3", { 1, 2, 3 } },
        TLineCase { "Blanks", "1 2   3", { 1, 2, 3 } }, TLineCase { "Tabs", "1\t2\t\t3", { 1, 2, 3 } },
        TLineCase { "CommaWithBlanks", " 1 , 2 ;\t3 ", { 1, 2, 3 } },
        TLineCase { "TrailingComma", "1,2,3,", { 1, 2, 3 } }, TLineCase { "OneValue", "7", { 7 } },
        TLineCase { "EmptyField", "1,,3", {} }, TLineCase { "LeadingComma", ",1,2", {} },
        TLineCase { "TwoTrailingCommas", "1,2,,", {} }, TLineCase { "OnlySeparators", " , ", {} },
        TLineCase { "Empty", "", {} },
        // Decimals and exponents
        TLineCase { "Decimals", "12.5,-0.25,+3.", { 12.5, -0.25, 3 } }, TLineCase { "LeadingPoint", ".5", { 0.5 } },
        TLineCase { "Exponent", "1e3,2.5E-2,-1e+2", { 1000, 0.025, -100 } },
        TLineCase { "BeyondInt32", "3000000000", { 3e9 } }, TLineCase { "SecondPoint", "1.2.3", {} },
        TLineCase { "ExponentWithoutDigits", "1e", {} }, TLineCase { "LonePoint", ".", {} },
        TLineCase { "OutOfRange", "1e400", {} }, TLineCase { "Infinity", "inf", {} },
        TLineCase { "NotANumber", "nan", {} },
        // Whole-number forms
        TLineCase { "HexForms", "$FF,0x10,X1f,-$10", { 255, 16, 31, -16 } },
        TLineCase { "HexPattern", "$FFFFFFFF", { -1 } }, TLineCase { "LeadingZeros", "007,-0", { 7, 0 } },
        TLineCase { "HexTooLong", "$123456789", {} }, TLineCase { "HexWithoutDigits", "0x", {} },
        // Counts and bad tokens
        TLineCase { "EightValues", "1,2,3,4,5,6,7,8", { 1, 2, 3, 4, 5, 6, 7, 8 } },
        TLineCase { "NineValues", "1,2,3,4,5,6,7,8,9", {} }, TLineCase { "AWord", "1,abc,3", {} },
        TLineCase { "UnitAfterNumber", "12V,3", {} }, TLineCase { "CarriageReturn", "1,2\r", {} },
        TLineCase { "SignOnly", "1,-", {} }),
    [](const testing::TestParamInfo<TLineCase> &info) { return std::string(info.param.Name); });

} // namespace
