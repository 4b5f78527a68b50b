// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Numbers in the settings file and the port settings window.

// Turns a text into a double: leading spaces (only ' '), at most one sign, decimal digits with at most one decimal
// separator among or after them (a period, or localeSeparator), then optionally "E" or "e" with at most one sign and
// digits (a missing exponent counts as 0), then trailing spaces. A text with neither a digit nor a separator fails,
// as does any other character and a value out of the range of a double.
std::optional<double> TryParseNumber(std::string_view text, std::string_view localeSeparator);

// As TryParseNumber, but a failure throws EConvertError("'<text>' is not a valid floating point value").
double ParseNumber(std::string_view text, std::string_view localeSeparator);

// ParseNumber with the separator of the user's locale (LocaleDecimalSeparator).
double ParseNumber(std::string_view text);

// The decimal separator that the user's locale names, "." where it names none.
std::string LocaleDecimalSeparator();

// The value rounded to 15 significant digits, trailing zeros dropped, no group separators. Fixed notation for 0 and
// for magnitudes from 0.0001 up to (not including) 1E15, otherwise the first digit, the separator and the remaining
// digits when there are any, "E", '-' for a negative exponent only and the exponent without leading zeros ("1.5E20",
// "1E-5"). Infinities and NaN give "INF", "-INF" and "NAN". The settings file always uses the period.
std::string FormatNumber(double value, std::string_view separator = ".");
