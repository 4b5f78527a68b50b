// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ParseNumber.h"

#include "core/ConvertError.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace
{

TEST(ParseNumber, AcceptsTheNumberForms)
{
    struct Case {
        const char *Text;
        const char *Separator;
        std::optional<double> Expected;
    } cases[] = {
        { "1.5", ".", 1.5 },
        { "  -2.25e2  ", ".", -225 },
        { "+1", ".", 1 },
        { "007", ".", 7 },
        { ".5", ".", 0.5 },
        { "5.", ".", 5 },
        { ".", ".", 0 }, // a separator alone counts as a number
        { "1e", ".", 1 }, // a missing exponent counts as 0
        { "1E+3", ".", 1000 },
        { "1e-2", ".", 0.01 },
        { "1,5", ",", 1.5 }, // the locale's separator
        { "1.5", ",", 1.5 }, // and the period everywhere
        { "", ".", std::nullopt },
        { "   ", ".", std::nullopt },
        { "-", ".", std::nullopt },
        { "e5", ".", std::nullopt },
        { "1,5", ".", std::nullopt },
        { "1,000.5", ",", std::nullopt },
        { "1.5x", ".", std::nullopt },
        { "1.5\t", ".", std::nullopt }, // only blanks are skipped
        { "\t1", ".", std::nullopt },
        { "1 000", ".", std::nullopt },
        { "1.2.3", ".", std::nullopt },
        { "--1", ".", std::nullopt },
        { "0x10", ".", std::nullopt },
        { "1e5.5", ".", std::nullopt },
        { "1e400", ".", std::nullopt }, // out of range
        { "-1e400", ".", std::nullopt },
    };
    for (const Case &c : cases)
        EXPECT_EQ(TryParseNumber(c.Text, c.Separator), c.Expected) << '"' << c.Text << "\" with " << c.Separator;
}

TEST(ParseNumber, FailureNamesTheWholeText)
{
    try {
        ParseNumber(" 1.5 x", ".");
        FAIL() << "no error";
    } catch (const EConvertError &error) {
        EXPECT_STREQ(error.what(), "' 1.5 x' is not a valid floating point value");
    }
}

TEST(FormatNumber, RoundsTo15DigitsAndSwitchesToScientificAtTheEdges)
{
    struct Case {
        double Value;
        const char *Expected;
    } cases[] = {
        { 1, "1" },
        { 1.5, "1.5" },
        { 2, "2" },
        { 0, "0" },
        { -0.0, "0" },
        { -2.5, "-2.5" },
        { 0.0001, "0.0001" },
        { 0.00001, "1E-5" },
        { 123456789012345, "123456789012345" },
        { 1e15, "1E15" },
        { 999999999999999.9, "1E15" }, // rounding carries into the next power of ten
        { 1.5e20, "1.5E20" },
        { 1.0 / 3, "0.333333333333333" },
        { 0.1 + 0.2, "0.3" },
        { -1.25e-7, "-1.25E-7" },
        { 1e300, "1E300" },
        { std::numeric_limits<double>::infinity(), "INF" },
        { std::nan(""), "NAN" },
    };
    for (const Case &c : cases)
        EXPECT_EQ(FormatNumber(c.Value), c.Expected) << c.Value;
    EXPECT_EQ(FormatNumber(1234.5, ","), "1234,5");
}

} // namespace
