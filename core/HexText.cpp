// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/HexText.h"

#include "core/HexDigit.h"

namespace
{

bool IsSeparator(char c)
{
    return c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n';
}

// A UTF-8 continuation byte: not the start of a character.
bool IsContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

THexText ParseHexText(std::string_view utf8Text)
{
    THexText result;
    result.Bytes.reserve(utf8Text.size() / 2);
    std::size_t position = 0; // characters seen so far
    int high = -1; // the first digit of a pair while its second is awaited
    for (char c : utf8Text) {
        if (IsContinuationByte(c))
            continue;
        ++position;
        int value = HexDigitValue(c);
        if (value >= 0) {
            if (high < 0) {
                high = value;
            } else {
                result.Bytes.push_back(static_cast<char>(high * 16 + value));
                high = -1;
            }
        } else if (IsSeparator(c) && high < 0) {
            continue;
        } else {
            // A stray character, or a separator that cuts a pair: the lone digit before it is the fault in the latter.
            result.BadPosition = IsSeparator(c) ? position - 1 : position;
            break;
        }
    }
    if (result.Good() && high >= 0)
        result.BadPosition = position;
    if (!result.Good())
        result.Bytes.clear();
    return result;
}

std::string HexErrorText(std::size_t badPosition)
{
    return "十六进制格式错误：第 " + std::to_string(badPosition) + " 个字符";
}
