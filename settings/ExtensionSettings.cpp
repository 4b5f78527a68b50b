#include "settings/ExtensionSettings.h"

#include "settings/SettingsFile.h"

bool ReadExtensionFlag(const std::string &path, std::string_view key, bool defaultValue)
{
    return SettingsFile(path).ReadKeyFlag(ExtensionSection, key, defaultValue);
}

void WriteExtensionFlag(const std::string &path, std::string_view key, bool value)
{
    SettingsFile(path).WriteKeyFlag(ExtensionSection, key, value);
}
