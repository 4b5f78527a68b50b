// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ParseNumber.h"

#include "core/ConvertError.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace
{

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string_view TakeDigits(std::string_view text, size_t &at)
{
    size_t begin = at;
    while (at < text.size() && IsDigit(text[at]))
        ++at;
    return text.substr(begin, at - begin);
}

bool TakeSeparator(std::string_view text, size_t &at, std::string_view localeSeparator)
{
    std::string_view rest = text.substr(at);
    if (!rest.empty() && rest.front() == '.') {
        ++at;
        return true;
    }
    if (!localeSeparator.empty() && rest.substr(0, localeSeparator.size()) == localeSeparator) {
        at += localeSeparator.size();
        return true;
    }
    return false;
}

} // namespace

std::optional<double> TryParseNumber(std::string_view text, std::string_view localeSeparator)
{
    size_t at = 0;
    while (at < text.size() && text[at] == ' ')
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    std::string_view whole = TakeDigits(text, at);
    std::string_view fraction;
    bool separator = TakeSeparator(text, at, localeSeparator);
    if (separator)
        fraction = TakeDigits(text, at);
    if (whole.empty() && fraction.empty() && !separator)
        return std::nullopt;

    bool negativeExponent = false;
    std::string_view exponent;
    if (at < text.size() && (text[at] == 'E' || text[at] == 'e')) {
        ++at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
            negativeExponent = text[at] == '-';
            ++at;
        }
        exponent = TakeDigits(text, at);
    }
    while (at < text.size() && text[at] == ' ')
        ++at;
    if (at != text.size())
        return std::nullopt;

    // The parts are put together in the one notation from_chars reads, which does not depend on the C locale.
    std::string plain;
    plain.reserve(whole.size() + fraction.size() + exponent.size() + 8);
    if (negative)
        plain += '-';
    plain += whole.empty() ? std::string_view("0") : whole;
    if (!fraction.empty())
        plain.append(".").append(fraction);
    if (!exponent.empty())
        plain.append(negativeExponent ? "e-" : "e").append(exponent);

    double value = 0;
    auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (error != std::errc() || end != plain.data() + plain.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

double ParseNumber(std::string_view text, std::string_view localeSeparator)
{
    if (auto value = TryParseNumber(text, localeSeparator))
        return *value;
    throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
}

std::string FormatNumber(double value, std::string_view separator)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (value == 0)
        return "0";

    // d.dddddddddddddde±x: the 15 significant digits and the exponent of the value after rounding.
    char buffer[64];
    std::to_chars_result written
        = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    std::string_view scientific(buffer, static_cast<size_t>(written.ptr - buffer));
    bool negative = scientific.front() == '-';
    if (negative)
        scientific.remove_prefix(1);
    size_t e = scientific.find('e');
    std::string digits;
    digits += scientific[0];
    digits.append(scientific.substr(2, e - 2));
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    int exponent = std::atoi(std::string(scientific.substr(e + 1)).c_str());

    std::string text = negative ? "-" : "";
    if (exponent >= 15 || exponent < -4) {
        text += digits[0];
        if (digits.size() > 1)
            text.append(separator).append(digits.substr(1));
        text += 'E';
        text += std::to_string(exponent);
    } else if (exponent >= 0) {
        auto integerDigits = static_cast<size_t>(exponent) + 1;
        if (digits.size() <= integerDigits) {
            text += digits;
            text.append(integerDigits - digits.size(), '0');
        } else {
            text.append(digits.substr(0, integerDigits)).append(separator).append(digits.substr(integerDigits));
        }
    } else {
        text.append("0").append(separator).append(static_cast<size_t>(-exponent - 1), '0').append(digits);
    }
    return text;
}
