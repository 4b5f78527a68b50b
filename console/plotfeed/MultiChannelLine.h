// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <optional>
#include <string_view>

// The reading of one received line in multi-channel mode: 1 to MaxLineValues numbers, value k for channel k.
//
// Numbers are separated by commas, semicolons, blanks or tabs. Blanks and tabs are padding as well as separators, so
// "1, 2" and "1 2" both hold two numbers; at most one comma or semicolon stands between two numbers, because an empty
// field ("1,,3") would move the values after it to the wrong channel. One comma or semicolon at the end of the line
// is allowed, as devices that print a separator after every value send it. A number is a whole number in any form
// that ParseInteger takes (decimal, or hexadecimal with "$", "x", "X", "0x" or "0X", sign allowed) or a decimal
// number: an optional sign, digits with at most one '.', at least one digit, and an optional exponent ("e" or "E",
// optional sign, digits). Any other token (a word, "inf", a second point, "1e", too many values) fails the whole
// line, as does a line without numbers.

inline constexpr int MaxLineValues = 8;

struct TLineValues {
    std::array<double, MaxLineValues> Values {};
    int Count = 0;
};

std::optional<TLineValues> ParseMultiChannelLine(std::string_view line);

// One token as a number by the rule above; nothing when it is not one or lies outside the range of a double.
std::optional<double> ParseChannelValue(std::string_view token);
