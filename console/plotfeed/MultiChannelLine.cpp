// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/plotfeed/MultiChannelLine.h"

#include "decoders/SampleValue.h"

namespace
{

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsHardSeparator(char c)
{
    return c == ',' || c == ';';
}

} // namespace

std::optional<double> ParseChannelValue(std::string_view token)
{
    return ParseSampleValue(token);
}

std::optional<TLineValues> ParseMultiChannelLine(std::string_view line)
{
    TLineValues result;
    bool hardSeparator = false; // a comma or semicolon since the last number
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (IsBlank(c)) {
            ++i;
            continue;
        }
        if (IsHardSeparator(c)) {
            if (result.Count == 0 || hardSeparator)
                return std::nullopt; // an empty field
            hardSeparator = true;
            ++i;
            continue;
        }
        // A token runs to the next separator, so two tokens are always separated.
        std::size_t end = i;
        while (end < line.size() && !IsBlank(line[end]) && !IsHardSeparator(line[end]))
            ++end;
        if (result.Count == MaxLineValues)
            return std::nullopt;
        const std::optional<double> value = ParseChannelValue(line.substr(i, end - i));
        if (!value)
            return std::nullopt;
        result.Values[result.Count++] = *value;
        hardSeparator = false;
        i = end;
    }
    if (result.Count == 0)
        return std::nullopt;
    return result;
}
