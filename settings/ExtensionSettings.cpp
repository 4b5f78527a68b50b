// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ExtensionSettings.h"

#include "settings/SettingsFile.h"

namespace ExtensionSettings
{

bool ReadFlag(const std::string &path, std::string_view key, bool defaultValue)
{
    return SettingsFile(path).ReadKeyFlag(Section, key, defaultValue);
}

int32_t ReadInteger(const std::string &path, std::string_view key, int32_t defaultValue)
{
    return SettingsFile(path).ReadKeyInteger(Section, key, defaultValue);
}

std::string ReadText(const std::string &path, std::string_view key, const std::string &defaultValue)
{
    return SettingsFile(path).ReadKeyText(Section, key, defaultValue);
}

bool WriteFlag(const std::string &path, std::string_view key, bool value)
{
    try {
        SettingsFile(path).WriteKeyFlag(Section, key, value);
        return true;
    } catch (const ESettingsWriteError &) {
        return false;
    }
}

bool WriteInteger(const std::string &path, std::string_view key, int32_t value)
{
    try {
        SettingsFile(path).WriteKeyInteger(Section, key, value);
        return true;
    } catch (const ESettingsWriteError &) {
        return false;
    }
}

bool WriteText(const std::string &path, std::string_view key, std::string_view value)
{
    try {
        SettingsFile(path).WriteKeyText(Section, key, value);
        return true;
    } catch (const ESettingsWriteError &) {
        return false;
    }
}

} // namespace ExtensionSettings
