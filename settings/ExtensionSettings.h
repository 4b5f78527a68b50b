// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Settings of the optional features that sit beside the port settings in setfile.ini. They live in a section of
// their own, so that the port section's lines stay exactly as they are; every key of that section is named here.
// Reads never fail (a missing or unreadable value gives the default); a refused write returns false and changes
// nothing.
namespace ExtensionSettings
{

inline constexpr const char *Section = "扩展设置";

inline constexpr const char *HexSendKey = "hexsend"; // 1: the send box holds hex pairs
inline constexpr const char *SendEndingKey = "sendending"; // TSendEnding of a text send as an integer
inline constexpr const char *HexSendEndingKey = "hexsendending"; // TSendEnding of a hex send as an integer
inline constexpr const char *HexViewKey = "hexview"; // 1: receive panes show hex pairs
inline constexpr const char *TimestampsKey = "timestamps"; // 1: receive panes show each chunk's arrival time
inline constexpr const char *AutoReconnectKey = "autoreconnect"; // 1: reopen the port when its device comes back
inline constexpr const char *ChunkLinesKey = "chunklines"; // 1: every received chunk on a line of its own
inline constexpr const char *MultiChannelKey = "multichannel"; // 1: the chart plots value lists, labelled or not
inline constexpr const char *YAutoFitKey = "y_autofit"; // 1: the chart's value axis fits the values in view
inline constexpr const char *FlowKey = "flow"; // flow control of the port: none, xonxoff or rtscts

// The main window's size (console/MainFormGeometry.h reads and writes it).
inline constexpr const char *WindowWidthKey = "windowwidth"; // the main window's last size (not maximized), pixels
inline constexpr const char *WindowHeightKey = "windowheight";
inline constexpr const char *WindowMaximizedKey = "windowmaximized"; // 1: the main window was last maximized

// The chart's trigger (console/plotfeed/TriggerSettings.h reads and writes it).
inline constexpr const char *TriggerOnKey = "trigger"; // 1: the chart's trigger is on
inline constexpr const char *TriggerSourceKey = "triggersource"; // index of the trigger's channel, from 0
inline constexpr const char *TriggerLevelKey = "triggerlevel"; // the trigger level, a number
inline constexpr const char *TriggerEdgeKey = "triggeredge"; // rising or falling
inline constexpr const char *TriggerModeKey = "triggermode"; // auto, normal or single
inline constexpr const char *TriggerPositionKey = "triggerposition"; // share of the view before the trigger, percent

// Binary frames (settings/FrameSettings.h reads and writes them).
inline constexpr const char *BinaryKey = "binary"; // 1: the chart reads binary frames from the received bytes
inline constexpr const char *FrameHeaderKey = "frame_header"; // the header's bytes as hex digits: "AA55"
inline constexpr const char *FrameChannelsKey = "frame_channels"; // samples in a frame, 1 to 16
inline constexpr const char *FrameTypeKey = "frame_type"; // uint8, int8, uint16, int16, uint32, int32, float32, float64
inline constexpr const char *FrameEndianKey = "frame_endian"; // little or big
inline constexpr const char *FrameLengthKey = "frame_length"; // fixed, u8 or u16 (a length field after the header)
// none, sum8, xor8, crc16modbus, crc16ccittfalse or crc32
inline constexpr const char *FrameChecksumKey = "frame_checksum";
// length_and_data (the length field and the payload) or data (the payload alone): what the checksum covers
inline constexpr const char *FrameChecksumScopeKey = "frame_checksum_scope";
// frame (the frame's byte order; CRC-16/MODBUS low byte first), big or little: the order of the checksum's bytes
inline constexpr const char *FrameChecksumEndianKey = "frame_checksum_endian";

bool ReadFlag(const std::string &path, std::string_view key, bool defaultValue);
int32_t ReadInteger(const std::string &path, std::string_view key, int32_t defaultValue);
std::string ReadText(const std::string &path, std::string_view key, const std::string &defaultValue);
bool WriteFlag(const std::string &path, std::string_view key, bool value);
bool WriteInteger(const std::string &path, std::string_view key, int32_t value);
bool WriteText(const std::string &path, std::string_view key, std::string_view value);

} // namespace ExtensionSettings
