// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Conversion between the system's ANSI code page (GBK) and UTF-8, the encoding of every std::string that holds
// user-visible text in the program. Bytes that are not valid GBK decode to U+FFFD each; characters that GBK cannot
// hold encode as '?'. Neither direction ever fails.
std::string AnsiToUtf8(std::string_view gbk);
std::string Utf8ToAnsi(std::string_view utf8);

// A GBK lead byte: the first byte of a two-byte character.
inline bool IsGbkLeadByte(char c)
{
    auto b = static_cast<unsigned char>(c);
    return b >= 0x81 && b <= 0xFE;
}

// The number of characters in GBK text made only of printable characters: a blank or a visible ASCII character, or
// a lead byte followed by a valid second byte (0x40 to 0xFE but 0x7F). Nothing when the text holds anything else: a
// control character, a byte that starts no character, a lead byte without its second byte.
std::optional<std::size_t> PrintableGbkLength(std::string_view text);

// Whether GBK text, read from a character boundary, ends in a lone lead byte (a character cut in two).
bool EndsInGbkLeadByte(std::string_view text);

// Decodes GBK bytes that arrive in pieces: a lead byte at the end of one piece is kept and joined with the next
// piece, so a character split across two buffers is not mangled.
class TAnsiStreamDecoder
{
public:
    std::string Decode(std::string_view piece);
    // Decodes whatever is held back (a lone lead byte becomes U+FFFD).
    std::string Flush();

private:
    std::string FPending;
};
