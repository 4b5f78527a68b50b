// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

// Plain decimal digits with a leading '-' for negative values; no padding or group separators.
inline std::string IntToStr(int64_t value)
{
    return std::to_string(value);
}
