// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/receive/ReceivedChunk.h"

#include <cstring>

std::string_view ReceivedChunkText(const void *buffer, std::size_t length)
{
    if (!buffer)
        return {};
    const char *bytes = static_cast<const char *>(buffer);
    const void *zero = std::memchr(bytes, 0, length);
    return std::string_view(bytes, zero ? static_cast<std::size_t>(static_cast<const char *>(zero) - bytes) : length);
}
