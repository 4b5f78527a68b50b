// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "console/quicksend/QuickSendFile.h"

#include <cstdint>
#include <string>
#include <vector>

// Reading and writing quick-send files on disk. A missing file reads as no entries; a write replaces the file as a
// whole (a temporary file beside it, then renamed over it), so that an interrupted write leaves the old file.
// Errors are texts for the user (UTF-8).

// A file larger than any file of 48 full entries could be is refused unread.
inline constexpr int64_t MaxQuickSendFileBytes = 16 * 1024 * 1024;

TQuickSendFileResult LoadQuickSendFile(const std::string &path);
// Empty when written; otherwise why not, and the file is unchanged.
std::string SaveQuickSendFile(const std::string &path, const std::vector<TQuickSendEntry> &entries);
