// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

// Appends one line to a multi-line text whose lines are separated by CR LF: when the text is empty or already ends
// in CR LF the line is added followed by CR LF, otherwise CR LF and then the line are added.
inline void AppendLine(std::string &text, std::string_view line)
{
    if (text.empty() || text.ends_with("\r\n")) {
        text.append(line);
        text.append("\r\n");
    } else {
        text.append("\r\n");
        text.append(line);
    }
}
