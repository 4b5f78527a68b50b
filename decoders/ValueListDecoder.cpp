// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoders/ValueListDecoder.h"

#include "core/AnsiText.h"
#include "decoders/SampleValue.h"

#include <optional>

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

bool IsSeparator(char c)
{
    return IsBlank(c) || IsHardSeparator(c);
}

bool IsLabelMark(char c)
{
    return c == ':' || c == '=';
}

std::size_t SkipBlanks(std::string_view line, std::size_t i)
{
    while (i < line.size() && IsBlank(line[i]))
        ++i;
    return i;
}

// The end of the word at i: the next separator, ':' or '='.
std::size_t WordEnd(std::string_view line, std::size_t i)
{
    while (i < line.size() && !IsSeparator(line[i]) && !IsLabelMark(line[i]))
        ++i;
    return i;
}

// The end of the token at i: the next separator.
std::size_t TokenEnd(std::string_view line, std::size_t i)
{
    while (i < line.size() && !IsSeparator(line[i]))
        ++i;
    return i;
}

// Whether a label mark follows the word that ends at i, after blanks.
bool MarkFollows(std::string_view line, std::size_t i)
{
    i = SkipBlanks(line, i);
    return i < line.size() && IsLabelMark(line[i]);
}

bool IsName(std::string_view word)
{
    const std::optional<std::size_t> characters = PrintableGbkLength(word);
    return characters && *characters > 0 && *characters <= TValueListDecoder::MaxNameCharacters;
}

} // namespace

bool TValueListDecoder::ReceivedName(int channel) const
{
    return channel >= 0 && static_cast<std::size_t>(channel) < FReceived.size() && FReceived[channel];
}

bool TValueListDecoder::ReadFields(std::string_view line, uint64_t &skipped)
{
    FFields.clear();
    skipped = 0;
    int positions = 0;
    bool field = false; // a field has been read
    bool hardSeparator = false; // a comma or semicolon since the last field
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (IsBlank(c)) {
            ++i;
            continue;
        }
        if (IsHardSeparator(c)) {
            if (!field || hardSeparator)
                return false; // an empty field
            hardSeparator = true;
            ++i;
            continue;
        }
        field = true;
        hardSeparator = false;
        const std::size_t wordEnd = WordEnd(line, i);
        const std::string_view word = line.substr(i, wordEnd - i);
        if (!MarkFollows(line, wordEnd)) {
            // An unlabelled number: the word ends at a separator or the line's end.
            const std::optional<double> value = ParseSampleValue(word);
            if (!value)
                return false;
            FFields.push_back({ {}, ++positions, *value });
            i = wordEnd;
            continue;
        }
        i = SkipBlanks(line, wordEnd) + 1;
        std::string_view value;
        if (i < line.size() && !IsSeparator(line[i])) {
            // Right after the mark the value runs to the next separator: "t:12:30" has the value "12:30".
            const std::size_t end = TokenEnd(line, i);
            value = line.substr(i, end - i);
            i = end;
        } else {
            // After blanks, a word that a mark follows is the next field's name and this field has no value.
            const std::size_t start = SkipBlanks(line, i);
            const std::size_t end = WordEnd(line, start);
            i = start;
            if (end > start && !MarkFollows(line, end)) {
                value = line.substr(start, end - start);
                i = end;
            }
        }
        const std::optional<double> number = IsName(word) ? ParseSampleValue(value) : std::nullopt;
        if (number)
            FFields.push_back({ word, 0, *number });
        else
            ++skipped;
    }
    return true;
}

int TValueListDecoder::AddChannel(std::string name, bool received)
{
    if (FNames.size() >= MaxChannels)
        return -1;
    FNames.push_back(std::move(name));
    FReceived.push_back(received);
    return static_cast<int>(FNames.size()) - 1;
}

int TValueListDecoder::ChannelOf(const TField &field)
{
    if (field.Name.empty()) {
        const std::size_t slot = static_cast<std::size_t>(field.Position) - 1;
        if (slot < FPositionChannel.size() && FPositionChannel[slot] >= 0)
            return FPositionChannel[slot];
        const int channel = AddChannel("数据" + std::to_string(field.Position), false);
        if (channel >= 0) {
            if (slot >= FPositionChannel.size())
                FPositionChannel.resize(slot + 1, -1);
            FPositionChannel[slot] = channel;
        }
        return channel;
    }
    for (std::size_t k = 0; k < FNames.size(); ++k)
        if (FReceived[k] && FNames[k] == field.Name)
            return static_cast<int>(k);
    return AddChannel(std::string(field.Name), true);
}

void TValueListDecoder::DecodeLine(std::string_view line, double time, std::vector<TSample> &out)
{
    uint64_t skipped = 0;
    if (!ReadFields(line, skipped)) {
        ++FCounts.Rejected;
        return;
    }
    if (FFields.empty() && skipped == 0)
        return; // blanks and tabs only
    FCounts.SkippedFields += skipped;
    bool gave = false;
    for (const TField &field : FFields) {
        const int channel = ChannelOf(field);
        if (channel < 0) {
            ++FCounts.DroppedNames;
            continue;
        }
        out.push_back({ channel, field.Value, time });
        gave = true;
    }
    if (gave)
        ++FCounts.Taken;
    else
        ++FCounts.Rejected;
}
