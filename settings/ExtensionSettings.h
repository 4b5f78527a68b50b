#pragma once

#include <string>
#include <string_view>

// Settings of the opt-in extensions. They live in a section of their own in setfile.ini, so the port settings'
// section keeps exactly the lines the port settings window writes. Every key here is off (0) until the user turns
// its extension on; reads and writes go through SettingsFile like every other key of the file.

inline constexpr std::string_view ExtensionSection = "扩展设置";

// The chart plots up to eight comma-separated numbers per line, one channel each (0 or 1).
inline constexpr std::string_view MultiChannelKey = "multichannel";

// The flag stored under key in ExtensionSection of the file at path; defaultValue when missing or not a number.
bool ReadExtensionFlag(const std::string &path, std::string_view key, bool defaultValue = false);
// Stores "1" or "0"; throws ESettingsWriteError when the file cannot be written.
void WriteExtensionFlag(const std::string &path, std::string_view key, bool value);
