// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

// The text of the general error box: the failure's text with a '.' appended when its last character's code is above
// that of '.' (so a text ending in '.', a blank or ')' stays as it is). Multi-byte characters count by their last byte,
// which is always above '.' in UTF-8.
inline std::string ErrorBoxText(std::string_view failure)
{
    std::string text(failure);
    if (!text.empty() && static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.'))
        text.push_back('.');
    return text;
}
