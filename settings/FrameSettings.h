// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decoders/FrameFormat.h"

#include <optional>
#include <string>
#include <string_view>

// Whether the chart reads binary frames, and their shape, as kept in setfile.ini's extension section
// (ExtensionSettings::BinaryKey and the frame_* keys).
struct TBinaryFrameSettings {
    bool Enabled = false;
    TFrameFormat Format;

    bool operator==(const TBinaryFrameSettings &) const = default;
};

// Reads every key on its own: a missing or bad value gives that key's default (off, no header, 1 channel, int16,
// little, fixed, none, length and data, the frame's order) and leaves the others as they are. Never fails and never
// asks the user.
TBinaryFrameSettings ReadBinaryFrameSettings(const std::string &path);
// Writes every key. False when a write was refused (the keys before it may then be written already).
bool WriteBinaryFrameSettings(const std::string &path, const TBinaryFrameSettings &settings);

// The words kept in the file, and back: "int16", "little", "u8", "crc16modbus", "length_and_data", "frame". A word that
// names nothing gives nullopt; letter case does not matter.
std::string_view SampleTypeWord(TSampleType type);
std::optional<TSampleType> SampleTypeOfWord(std::string_view word);
std::string_view ByteOrderWord(TByteOrder order);
std::optional<TByteOrder> ByteOrderOfWord(std::string_view word);
std::string_view FrameLengthWord(TFrameLength length);
std::optional<TFrameLength> FrameLengthOfWord(std::string_view word);
std::string_view ChecksumWord(TChecksumKind kind);
std::optional<TChecksumKind> ChecksumOfWord(std::string_view word);
std::string_view ChecksumScopeWord(TChecksumScope scope);
std::optional<TChecksumScope> ChecksumScopeOfWord(std::string_view word);
std::string_view ChecksumOrderWord(TChecksumOrder order);
std::optional<TChecksumOrder> ChecksumOrderOfWord(std::string_view word);

// A frame header written as hex: pairs of hex digits in either letter case, blanks and tabs allowed between pairs
// ("AA 55", "aa55"), at most TFrameFormat::MaxHeader bytes; empty text is no header. Nullopt when the text is not
// that.
std::optional<std::string> ParseFrameHeader(std::string_view hex);
// The header's bytes as upper-case hex pairs, joined by `separator`: "AA55" for the file, "AA 55" for the window.
std::string FrameHeaderHex(std::string_view bytes, std::string_view separator = "");
