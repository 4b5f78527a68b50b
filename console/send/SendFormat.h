// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/HexText.h"

#include <string_view>

// What follows every send text on the line. The four bytes "[RS]" unless the user picked another ending.
enum class TSendEnding { Rs = 0, CrLf = 1, Lf = 2, None = 3 };

inline constexpr TSendEnding SendEndings[] = { TSendEnding::Rs, TSendEnding::CrLf, TSendEnding::Lf, TSendEnding::None };

std::string_view SendEndingBytes(TSendEnding ending);
// The caption of the ending in the send box's "发送结尾" menu (UTF-8).
const char *SendEndingCaption(TSendEnding ending);
// The ending stored as an integer; anything unknown is the fallback.
TSendEnding SendEndingFromInteger(int value, TSendEnding fallback = TSendEnding::Rs);
