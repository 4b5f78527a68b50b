// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/AnsiText.h"

#include <cerrno>
#include <iconv.h>
#include <mutex>

namespace
{

constexpr std::string_view ReplacementUtf8 = "\xEF\xBF\xBD";

// Runs iconv over the whole input; an invalid or incomplete sequence is replaced and skipped by one byte.
std::string Convert(const char *to, const char *from, std::string_view input, std::string_view replacement)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::string(input);
    std::string out;
    out.reserve(input.size() * 2);
    char *in = const_cast<char *>(input.data());
    size_t inLeft = input.size();
    char buffer[4096];
    while (inLeft > 0) {
        char *dst = buffer;
        size_t dstLeft = sizeof(buffer);
        size_t rc = iconv(cd, &in, &inLeft, &dst, &dstLeft);
        out.append(buffer, static_cast<size_t>(dst - buffer));
        if (rc == static_cast<size_t>(-1)) {
            if (errno == E2BIG)
                continue;
            // EILSEQ or EINVAL: mark the byte that could not be converted and go on after it.
            out.append(replacement);
            ++in;
            --inLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return out;
}

} // namespace

std::string AnsiToUtf8(std::string_view gbk)
{
    return Convert("UTF-8", "GBK", gbk, ReplacementUtf8);
}

std::string Utf8ToAnsi(std::string_view utf8)
{
    return Convert("GBK", "UTF-8", utf8, "?");
}

std::optional<std::size_t> PrintableGbkLength(std::string_view text)
{
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++characters) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0x20 && byte < 0x7F) {
            ++i;
            continue;
        }
        if (!IsGbkLeadByte(text[i]) || i + 1 == text.size())
            return std::nullopt;
        const auto second = static_cast<unsigned char>(text[i + 1]);
        if (second < 0x40 || second == 0x7F || second == 0xFF)
            return std::nullopt;
        i += 2;
    }
    return characters;
}

bool EndsInGbkLeadByte(std::string_view text)
{
    size_t i = 0;
    while (i < text.size()) {
        if (IsGbkLeadByte(text[i])) {
            if (i + 1 == text.size())
                return true;
            i += 2;
        } else {
            ++i;
        }
    }
    return false;
}

std::string TAnsiStreamDecoder::Decode(std::string_view piece)
{
    std::string bytes = FPending;
    bytes.append(piece);
    FPending.clear();
    // A lead byte at the end waits for its trail byte in the next piece.
    if (EndsInGbkLeadByte(bytes)) {
        FPending = bytes.substr(bytes.size() - 1);
        bytes.pop_back();
    }
    return AnsiToUtf8(bytes);
}

std::string TAnsiStreamDecoder::Flush()
{
    std::string rest = AnsiToUtf8(FPending);
    FPending.clear();
    return rest;
}
