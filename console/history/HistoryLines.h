// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The send history's text form, as bytes (GBK): one entry per line. Plain functions without any toolkit, so that the
// loader can be fuzzed on its own.

// The entries of a history file's bytes: a CR LF pair, a lone CR and a lone LF each end an entry; a last line without
// a line break is an entry too; a NUL byte ends the text. An empty text gives no entries.
std::vector<std::string> ParseHistoryEntries(std::string_view bytes);

// Each distinct entry once, at the position of its first occurrence; entries compare byte for byte.
std::vector<std::string> RemoveDuplicateEntries(const std::vector<std::string> &entries);

// The file's bytes for the entries: each entry followed by CR LF; no entries give no bytes.
std::string FormatHistoryEntries(const std::vector<std::string> &entries);
