// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ParseInteger.h"

#include "core/ConvertError.h"

#include <gtest/gtest.h>
#include <optional>

namespace
{

struct Case {
    const char *Text;
    std::optional<int32_t> Expected;
};

class ParseIntegerCases : public ::testing::TestWithParam<Case>
{
};

TEST_P(ParseIntegerCases, AcceptsOrRejects)
{
    const Case &c = GetParam();
    EXPECT_EQ(TryParseInteger(c.Text), c.Expected) << "text: [" << c.Text << "]";
}

INSTANTIATE_TEST_SUITE_P(Table, ParseIntegerCases,
    ::testing::Values(Case { "0", 0 }, Case { "12345", 12345 }, Case { "-1234", -1234 }, Case { "+17", 17 },
        Case { "   007", 7 }, Case { "2147483647", 2147483647 }, Case { "-2147483648", INT32_MIN },
        Case { "2147483648", std::nullopt }, Case { "-2147483649", std::nullopt },
        Case { "99999999999999999999", std::nullopt }, Case { "$FFFFFFFF", -1 }, Case { "$7fffffff", INT32_MAX },
        Case { "$80000000", INT32_MIN }, Case { "-$10", -16 }, Case { " +x1F", 31 }, Case { "X1f", 31 },
        Case { "0x2580", 0x2580 }, Case { "0XaB", 0xAB }, Case { "-0x1", -1 }, Case { "$000000001", std::nullopt },
        Case { "0x", std::nullopt }, Case { "$", std::nullopt }, Case { "12 ", std::nullopt },
        Case { "12\r", std::nullopt }, Case { "12.50", std::nullopt }, Case { "1,000", std::nullopt },
        Case { "12a", std::nullopt }, Case { "", std::nullopt }, Case { " ", std::nullopt }, Case { "+", std::nullopt },
        Case { "-", std::nullopt }, Case { "+-1", std::nullopt }, Case { "\t5", std::nullopt },
        Case { "5 5", std::nullopt }, Case { "0x-1", std::nullopt }, Case { "$G", std::nullopt }));

TEST(ParseInteger, FailureCarriesTheWholeInput)
{
    EXPECT_EQ(ParseInteger(" 42"), 42);
    try {
        ParseInteger(" 12.5 ");
        FAIL() << "no exception";
    } catch (const EConvertError &e) {
        EXPECT_STREQ(e.what(), "' 12.5 ' is not a valid integer value");
    }
}

} // namespace
