// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoders/SampleValue.h"

#include "core/ParseInteger.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace
{

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Whether the token has the decimal form: [sign] digits [. digits] [(e|E) [sign] digits], with a digit in the
// mantissa and in the exponent when there is one.
bool IsDecimalForm(std::string_view token)
{
    std::size_t i = 0;
    if (i < token.size() && (token[i] == '+' || token[i] == '-'))
        ++i;
    bool mantissaDigit = false;
    while (i < token.size() && IsDigit(token[i])) {
        mantissaDigit = true;
        ++i;
    }
    if (i < token.size() && token[i] == '.') {
        ++i;
        while (i < token.size() && IsDigit(token[i])) {
            mantissaDigit = true;
            ++i;
        }
    }
    if (!mantissaDigit)
        return false;
    if (i < token.size() && (token[i] == 'e' || token[i] == 'E')) {
        ++i;
        if (i < token.size() && (token[i] == '+' || token[i] == '-'))
            ++i;
        bool exponentDigit = false;
        while (i < token.size() && IsDigit(token[i])) {
            exponentDigit = true;
            ++i;
        }
        if (!exponentDigit)
            return false;
    }
    return i == token.size();
}

} // namespace

std::optional<double> ParseSampleValue(std::string_view token)
{
    if (token.empty() || token.front() == ' ')
        return std::nullopt; // ParseInteger would skip leading blanks; a token has none
    if (std::optional<int32_t> whole = TryParseInteger(token))
        return double(*whole);
    if (!IsDecimalForm(token))
        return std::nullopt;
    // from_chars takes no '+'; the form check has already ruled out "inf" and "nan".
    if (token.front() == '+')
        token.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
    if (error != std::errc() || end != token.data() + token.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}
