// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// What follows every send text on the line. The four bytes "[RS]" unless the user picked another ending.
enum class TSendEnding { Rs = 0, CrLf = 1, Lf = 2, None = 3 };

inline constexpr TSendEnding SendEndings[] = { TSendEnding::Rs, TSendEnding::CrLf, TSendEnding::Lf, TSendEnding::None };

std::string_view SendEndingBytes(TSendEnding ending);
// The caption of the ending in the send box's "发送结尾" menu (UTF-8).
const char *SendEndingCaption(TSendEnding ending);
// The ending stored as an integer; anything unknown is the fallback.
TSendEnding SendEndingFromInteger(int value, TSendEnding fallback = TSendEnding::Rs);

// The send box's text read as hex pairs. Spaces, tabs, commas and line breaks separate pairs and are ignored; each
// run of hex digits (either letter case) must hold whole pairs.
struct THexText {
    std::string Bytes;
    // 1-based position (in characters of the text) of the first bad character: a character that is neither a hex digit
    // nor a separator, or the last digit of a run with an odd number of digits. 0 when the text is good.
    std::size_t BadPosition = 0;

    bool Good() const { return BadPosition == 0; }
};

THexText ParseHexText(std::string_view utf8Text);

// The message box text for a bad hex text (UTF-8).
std::string HexErrorText(std::size_t badPosition);
