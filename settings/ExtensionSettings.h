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
inline constexpr const char *MultiChannelKey = "multichannel"; // 1: the chart plots up to eight numbers per line
inline constexpr const char *FlowKey = "flow"; // flow control of the port: none, xonxoff or rtscts
inline constexpr const char *WindowWidthKey = "windowwidth"; // the main window's last size (not maximized), pixels
inline constexpr const char *WindowHeightKey = "windowheight";
inline constexpr const char *WindowMaximizedKey = "windowmaximized"; // 1: the main window was last maximized
inline constexpr const char *TriggerOnKey = "trigger"; // 1: the chart's trigger is on
inline constexpr const char *TriggerSourceKey = "triggersource"; // index of the trigger's channel, from 0
inline constexpr const char *TriggerLevelKey = "triggerlevel"; // the trigger level, a number
inline constexpr const char *TriggerEdgeKey = "triggeredge"; // rising or falling
inline constexpr const char *TriggerModeKey = "triggermode"; // auto, normal or single
inline constexpr const char *TriggerPositionKey = "triggerposition"; // share of the view before the trigger, percent

bool ReadFlag(const std::string &path, std::string_view key, bool defaultValue);
int32_t ReadInteger(const std::string &path, std::string_view key, int32_t defaultValue);
std::string ReadText(const std::string &path, std::string_view key, const std::string &defaultValue);
bool WriteFlag(const std::string &path, std::string_view key, bool value);
bool WriteInteger(const std::string &path, std::string_view key, int32_t value);
bool WriteText(const std::string &path, std::string_view key, std::string_view value);

} // namespace ExtensionSettings
