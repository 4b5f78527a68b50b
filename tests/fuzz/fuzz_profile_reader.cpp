// SPDX-License-Identifier: GPL-3.0-or-later
// Profile file contents: no file may crash the reader or the writer, and a value just set is always the value read.
// The input's first line names the section, its second the key; the rest is the file.
#include "platform/ProfileFile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace
{

std::string_view TakeLine(std::string_view &text)
{
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == text.npos ? text.size() : end + 1);
    return line;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string_view contents(reinterpret_cast<const char *>(data), size);
    std::string_view section = TakeLine(contents);
    std::string_view key = TakeLine(contents);

    std::optional<std::string> before = FindProfileValue(contents, section, key);
    FindProfileValue(contents, "\xCF\xB5\xCD\xB3\xB2\xCE\xCA\xFD", "commname");

    constexpr std::string_view value = "fuzz value";
    if (!IsStorableProfileEntry(section, key, value))
        return 0;
    std::string written = SetProfileValue(contents, section, key, value);
    if (FindProfileValue(written, section, key) != value)
        std::abort();
    // Setting the same value again changes nothing more.
    if (SetProfileValue(written, section, key, value) != written)
        std::abort();
    // A file that already held the key keeps its size apart from the value's own change.
    if (before && written.size() > contents.size() + value.size())
        std::abort();
    return 0;
}
