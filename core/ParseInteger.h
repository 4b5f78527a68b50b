// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// Turns a text into a signed 32-bit integer.
// Accepted: leading spaces (only ' '), at most one sign, then decimal digits or a hexadecimal prefix
// ("$", "x", "X", "0x", "0X") with one to eight hex digits taken as a 32-bit two's-complement pattern.
// Nothing may follow the digits. Decimal values must fit in int32.
std::optional<int32_t> TryParseInteger(std::string_view text);

// As TryParseInteger, but a failure throws EConvertError("'<text>' is not a valid integer value").
int32_t ParseInteger(std::string_view text);
