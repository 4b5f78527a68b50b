// SPDX-License-Identifier: GPL-3.0-or-later
// What a serial server sends: no input may crash the decoder or make it write more data bytes than it was fed; the
// same bytes split in two give the same data as in one piece; escaped data decodes to itself.
#include "platform/Rfc2217Codec.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace
{

std::string Decode(const std::string &input, size_t split)
{
    TRfc2217Decoder decoder;
    std::string out(input.size(), '\0');
    size_t first = decoder.Feed(input.data(), split, out.data());
    if (first > split)
        std::abort();
    size_t second = decoder.Feed(input.data() + split, input.size() - split, out.data() + first);
    if (second > input.size() - split)
        std::abort();
    out.resize(first + second);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string input(reinterpret_cast<const char *>(data), size);
    const std::string whole = Decode(input, 0);
    if (size > 0 && Decode(input, data[0] % size) != whole)
        std::abort();
    if (Decode(TelnetEscape(input), 0) != input)
        std::abort();
    return 0;
}
