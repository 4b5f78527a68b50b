// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Profile (INI) files: "[section]" header lines and "key=value" lines, read and written one key at a time.
//
// Every name and value is a byte string (the files hold GBK text); bytes are kept exactly. Section and key names
// match without regard to the letter case of ASCII letters; the second byte of a two-byte GBK character is never
// folded, so two different characters never match. Blanks, tabs and stray CRs around names and values are not part of
// them, and a value written between matching quotes ("..." or '...') reads without them. Lines that start with ';' or
// '#' are comments. Lines may end in CR LF or LF; lines that this code adds end in CR LF.

// The largest value a read returns, in bytes; a longer value is cut there.
inline constexpr size_t ProfileValueLimit = 2047;

// The value of key in the first section called section within contents (a whole file's bytes), or nothing when the
// section or the key is missing. A key that is present with an empty value gives the empty text.
std::optional<std::string> FindProfileValue(std::string_view contents, std::string_view section, std::string_view key);

// Contents with key set to value in section: the first line of that key in the first section of that name gets the
// new value; a missing key is added after the section's last non-blank line; a missing section is added at the end.
// Every other line stays byte for byte.
std::string SetProfileValue(
    std::string_view contents, std::string_view section, std::string_view key, std::string_view value);

// Whether a name or value can be stored without changing the file's structure: no line break or NUL anywhere, no
// ']' in a section name, no '=' in a key, and a key that does not start like a section header or a comment.
bool IsStorableProfileEntry(std::string_view section, std::string_view key, std::string_view value);

// Reads the file at path and returns the key's value (at most ProfileValueLimit bytes), or nothing when the file,
// the section or the key is missing or the file cannot be read.
std::optional<std::string> ReadProfileValue(std::string_view section, std::string_view key, const std::string &path);

// ReadProfileValue, with defaultValue in place of nothing.
std::string ReadProfileString(
    std::string_view section, std::string_view key, std::string_view defaultValue, const std::string &path);

// Sets the key's value in the file at path, creating the file, the section and the key when missing. The file is
// replaced as a whole (written beside it, synced, then renamed over it), so an interrupted write leaves either the old
// or the new file, never a mix. Returns false, with the file unchanged, when the system refuses the write (missing or
// read-only folder, read-only file, a file that exists but cannot be read, disk full) or when IsStorableProfileEntry
// refuses the entry.
bool WriteProfileString(
    std::string_view section, std::string_view key, std::string_view value, const std::string &path);

// Flushes what is held for the file at path. Every write above already reached the disk, so there is nothing to do;
// it exists for callers that finish a series of writes this way, and always succeeds.
bool FlushProfile(const std::string &path);
