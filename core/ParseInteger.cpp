// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ParseInteger.h"

#include "core/ConvertError.h"
#include "core/HexDigit.h"

#include <string>

namespace
{

// Length of a hexadecimal prefix at the start of rest, or 0 when there is none.
size_t HexPrefixLength(std::string_view rest)
{
    if (rest.empty())
        return 0;
    if (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X')
        return 1;
    if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X'))
        return 2;
    return 0;
}

} // namespace

std::optional<int32_t> TryParseInteger(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::string_view rest = text.substr(i);

    if (size_t prefix = HexPrefixLength(rest)) {
        std::string_view digits = rest.substr(prefix);
        if (digits.empty() || digits.size() > 8)
            return std::nullopt;
        uint32_t pattern = 0;
        for (char c : digits) {
            int v = HexDigitValue(c);
            if (v < 0)
                return std::nullopt;
            pattern = (pattern << 4) | static_cast<uint32_t>(v);
        }
        // Negation wraps in 32 bits, so -$80000000 stays at the minimum.
        uint32_t result = negative ? 0u - pattern : pattern;
        return static_cast<int32_t>(result);
    }

    if (rest.empty())
        return std::nullopt;
    int64_t value = 0;
    for (char c : rest) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > 2147483648LL)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX || value < INT32_MIN)
        return std::nullopt;
    return static_cast<int32_t>(value);
}

int32_t ParseInteger(std::string_view text)
{
    if (auto value = TryParseInteger(text))
        return *value;
    throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
}
