// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/quicksend/QuickSendFile.h"

#include "core/AnsiText.h"
#include "core/ParseInteger.h"

#include <algorithm>
#include <optional>

namespace
{

bool IsUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80 ? 1
            : (lead >> 5) == 0x6         ? 2
            : (lead >> 4) == 0xE         ? 3
            : (lead >> 3) == 0x1E        ? 4
                                         : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

std::string_view Trim(std::string_view text)
{
    const char *blanks = " \t\r";
    std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::string Escape(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\\':
            escaped += "\\\\";
            break;
        case '\n':
            escaped += "\\n";
            break;
        case '\r':
            escaped += "\\r";
            break;
        default:
            escaped.push_back(c);
        }
    }
    return escaped;
}

// Undoes Escape; a backslash before any other character stays as it is.
std::string Unescape(std::string_view text)
{
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            char next = text[i + 1];
            if (next == '\\' || next == 'n' || next == 'r') {
                plain.push_back(next == 'n' ? '\n' : next == 'r' ? '\r' : '\\');
                ++i;
                continue;
            }
        }
        plain.push_back(c);
    }
    return plain;
}

std::optional<TSendEnding> EndingFromKey(std::string_view value)
{
    for (TSendEnding ending : SendEndings)
        if (value == QuickSendEndingKey(ending))
            return ending;
    return std::nullopt;
}

std::string LineError(std::size_t line, const std::string &what)
{
    return "第 " + std::to_string(line) + " 行：" + what;
}

// A key as a message names it: at most 32 bytes, cut between characters, so that a stray long line makes a short box.
std::string Shortened(std::string_view key)
{
    constexpr std::size_t Longest = 32;
    if (key.size() <= Longest)
        return std::string(key);
    std::size_t end = Longest;
    while (end > 0 && (static_cast<unsigned char>(key[end]) & 0xC0) == 0x80)
        --end;
    return std::string(key.substr(0, end)) + "…";
}

// Sets one key of an entry; the error text when the value is not one the key takes.
std::string SetKey(TQuickSendEntry &entry, std::string_view key, std::string_view value)
{
    if (key == "name") {
        entry.Name = Unescape(value);
        return QuickSendNameProblem(entry.Name);
    } else if (key == "content") {
        entry.Content = Unescape(value);
        return QuickSendContentProblem(entry.Content);
    } else if (key == "hex") {
        value = Trim(value);
        if (value != "0" && value != "1")
            return "hex 应为 0 或 1";
        entry.Hex = value == "1";
    } else if (key == "ending") {
        std::optional<TSendEnding> ending = EndingFromKey(Trim(value));
        if (!ending)
            return "ending 应为 rs、crlf、lf 或 none";
        entry.Ending = *ending;
    } else if (key == "repeat_ms") {
        std::optional<int32_t> ms = TryParseInteger(Trim(value));
        if (!ms || *ms < 0 || *ms > MaxQuickSendRepeatMs)
            return "repeat_ms 应为 0 到 " + std::to_string(MaxQuickSendRepeatMs) + " 之间的整数";
        entry.RepeatMs = *ms;
    } else {
        return "未知的键 " + Shortened(key) + "（应为 name、content、hex、ending 或 repeat_ms）";
    }
    return {};
}

// Characters of UTF-8 text: the bytes that do not continue a character.
std::size_t Utf8Length(std::string_view text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

} // namespace

std::string QuickSendNameProblem(std::string_view name)
{
    if (Utf8Length(name) > MaxQuickSendNameChars)
        return "名称超过 " + std::to_string(MaxQuickSendNameChars) + " 个字符";
    return {};
}

std::string QuickSendContentProblem(std::string_view content)
{
    if (content.size() > MaxQuickSendContentBytes)
        return "内容超过 " + std::to_string(MaxQuickSendContentBytes) + " 字节";
    return {};
}

const char *QuickSendEndingKey(TSendEnding ending)
{
    switch (ending) {
    case TSendEnding::Rs:
        break;
    case TSendEnding::CrLf:
        return "crlf";
    case TSendEnding::Lf:
        return "lf";
    case TSendEnding::None:
        return "none";
    }
    return "rs";
}

TQuickSendFileResult ParseQuickSendFile(std::string_view contents)
{
    std::string text = IsUtf8(contents) ? std::string(contents) : AnsiToUtf8(contents);
    std::string_view rest = text;
    if (rest.starts_with("\xEF\xBB\xBF"))
        rest.remove_prefix(3);

    TQuickSendFileResult result;
    auto fail = [&result](std::string error) {
        result.Entries.clear();
        result.Error = std::move(error);
        return result;
    };
    std::size_t lineNumber = 0;
    while (!rest.empty()) {
        std::size_t end = rest.find('\n');
        std::string_view raw = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view {} : rest.substr(end + 1);
        ++lineNumber;
        if (raw.ends_with('\r'))
            raw.remove_suffix(1);
        std::string_view line = Trim(raw);
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            const std::string expected = std::to_string(result.Entries.size() + 1);
            if (line != "[" + expected + "]")
                return fail(LineError(lineNumber, "节名应为 [" + expected + "]"));
            if (result.Entries.size() == MaxQuickSendEntries)
                return fail(LineError(lineNumber, "最多 " + std::to_string(MaxQuickSendEntries) + " 项"));
            result.Entries.emplace_back();
            continue;
        }
        // A value is everything after the '=', blanks included: a content may begin or end with spaces.
        std::size_t equals = raw.find('=');
        if (equals == std::string_view::npos || result.Entries.empty())
            return fail(LineError(lineNumber, "无法识别的行"));
        std::string error = SetKey(result.Entries.back(), Trim(raw.substr(0, equals)), raw.substr(equals + 1));
        if (!error.empty())
            return fail(LineError(lineNumber, error));
    }
    return result;
}

std::string FormatQuickSendFile(const std::vector<TQuickSendEntry> &entries)
{
    std::string file;
    for (std::size_t i = 0; i < entries.size() && i < MaxQuickSendEntries; ++i) {
        const TQuickSendEntry &entry = entries[i];
        if (i > 0)
            file += "\r\n";
        file += "[" + std::to_string(i + 1) + "]\r\n";
        file += "name=" + Escape(entry.Name) + "\r\n";
        file += "content=" + Escape(entry.Content) + "\r\n";
        file += std::string("hex=") + (entry.Hex ? "1" : "0") + "\r\n";
        file += std::string("ending=") + QuickSendEndingKey(entry.Ending) + "\r\n";
        file += "repeat_ms=" + std::to_string(entry.RepeatMs) + "\r\n";
    }
    return file;
}
