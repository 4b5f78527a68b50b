// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "console/send/SendFormat.h"

#include <cstddef>
#include <cstdint>
#include <string>

// One quick-send button: what it sends and how. Texts are UTF-8, as the window holds them; Content is what the send
// box would hold (text, or hex pairs when Hex is set) and goes out exactly as "发送" sends the send box.
struct TQuickSendEntry {
    std::string Name;
    std::string Content;
    bool Hex = false;
    TSendEnding Ending = TSendEnding::Rs;
    int32_t RepeatMs = 0; // 0: one send per click; otherwise a click starts or stops a send every RepeatMs

    bool operator==(const TQuickSendEntry &) const = default;
};

inline constexpr std::size_t MaxQuickSendEntries = 48;
// Ctrl+1 ... Ctrl+9 send the first nine entries.
inline constexpr std::size_t QuickSendShortcutCount = 9;
// The longest repeat interval: one day.
inline constexpr int32_t MaxQuickSendRepeatMs = 86'400'000;
// The longest content, in bytes of its UTF-8 text (hex pairs count as typed), and the longest name, in characters:
// enough for any frame or command, and small enough that 48 full entries load and show at once.
inline constexpr std::size_t MaxQuickSendContentBytes = 64 * 1024;
inline constexpr std::size_t MaxQuickSendNameChars = 256;
