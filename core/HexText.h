// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Text read as hex pairs (the send box's hex send, a script's port.sendhex). Spaces, tabs, commas and line breaks
// separate pairs and are ignored; each run of hex digits (either letter case) must hold whole pairs.
struct THexText {
    std::string Bytes;
    // 1-based position (in characters of the text) of the first bad character: a character that is neither a hex digit
    // nor a separator, or the last digit of a run with an odd number of digits. 0 when the text is good.
    std::size_t BadPosition = 0;

    bool Good() const { return BadPosition == 0; }
};

THexText ParseHexText(std::string_view utf8Text);

// The message for a bad hex text (UTF-8).
std::string HexErrorText(std::size_t badPosition);
