// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string_view>

// One received token as a chart value: a whole number in any form that ParseInteger takes (decimal, or hexadecimal
// with "$", "x", "X", "0x" or "0X", sign allowed) or a decimal number: an optional sign, digits with at most one '.',
// at least one digit, and an optional exponent ("e" or "E", optional sign, digits). Nothing for any other token
// ("inf", "nan", "1e", "1.2.3", a leading blank) or for a value outside the range of a double.
std::optional<double> ParseSampleValue(std::string_view token);
