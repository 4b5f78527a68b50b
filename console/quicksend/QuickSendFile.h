// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "console/quicksend/QuickSendEntry.h"

#include <string>
#include <string_view>
#include <vector>

// The quick-send file quicksend.ini, kept beside setfile.ini and exchanged by "导入…"/"导出…": UTF-8 text, one
// section per entry, "[1]", "[2]", ... in the window's order, each with the keys name, content, hex (0 or 1), ending
// (rs, crlf, lf or none) and repeat_ms. A value keeps its line breaks and backslashes as \n, \r and \\, so that a
// multi-line content stays on one line of the file; a value is everything after the '=' of its line, blanks included.
// A missing key takes the entry's default; a key the file does not know (keys are lower case) is a mistake, so that a
// misspelt one is not taken for another. A name holds at most MaxQuickSendNameChars characters and a content at most
// MaxQuickSendContentBytes bytes. A hex content is checked when it is sent, as the send box's is.
inline constexpr const char *QuickSendFileName = "quicksend.ini";

struct TQuickSendFileResult {
    std::vector<TQuickSendEntry> Entries;
    // Empty when the file is good; otherwise what is wrong, for the user (UTF-8), and Entries is empty.
    std::string Error;

    bool Good() const { return Error.empty(); }
};

// Reads a file's bytes. A file that is not UTF-8 is read as GBK text, the encoding of the program's other files.
TQuickSendFileResult ParseQuickSendFile(std::string_view contents);

// The file's bytes for entries (at most MaxQuickSendEntries), lines ending in CR LF.
std::string FormatQuickSendFile(const std::vector<TQuickSendEntry> &entries);

// What is wrong with a name or a content the window is about to keep, for the user (UTF-8); empty when nothing is.
// The file's reader refuses the same entries, so that what the window writes it can read again.
std::string QuickSendNameProblem(std::string_view name);
std::string QuickSendContentProblem(std::string_view content);

// The key's value for an ending, and back; nothing for an unknown key value.
const char *QuickSendEndingKey(TSendEnding ending);
