// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string_view>

// The text of a received chunk: its bytes up to, not including, the first zero byte; bytes after a zero byte are
// dropped. The serial component puts a zero byte after every chunk, so the length only bounds the search.
std::string_view ReceivedChunkText(const void *buffer, std::size_t length);
