// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsFile.h"

#include "core/AnsiText.h"
#include "core/IntToStr.h"
#include "core/ParseInteger.h"
#include "platform/ProfileFile.h"
#include "settings/ParseNumber.h"

#include <utility>

SettingsFile::SettingsFile(std::string path)
    : FPath(std::move(path))
{
}

SettingsFile::~SettingsFile()
{
    FlushProfile(FPath);
}

std::string SettingsFile::ReadKeyText(
    std::string_view section, std::string_view key, std::string_view defaultValue) const
{
    std::optional<std::string> value = ReadProfileValue(Utf8ToAnsi(section), Utf8ToAnsi(key), FPath);
    return value ? AnsiToUtf8(*value) : std::string(defaultValue);
}

int32_t SettingsFile::ReadKeyInteger(std::string_view section, std::string_view key, int32_t defaultValue) const
{
    return TryParseInteger(ReadKeyText(section, key, "")).value_or(defaultValue);
}

bool SettingsFile::ReadKeyFlag(std::string_view section, std::string_view key, bool defaultValue) const
{
    return ReadKeyInteger(section, key, defaultValue ? 1 : 0) != 0;
}

double SettingsFile::ReadKeyNumber(std::string_view section, std::string_view key, double defaultValue) const
{
    std::string text = ReadKeyText(section, key, "");
    if (text.empty())
        return defaultValue;
    return TryParseNumber(text, LocaleDecimalSeparator()).value_or(defaultValue);
}

void SettingsFile::WriteKeyText(std::string_view section, std::string_view key, std::string_view value)
{
    if (!WriteProfileString(Utf8ToAnsi(section), Utf8ToAnsi(key), Utf8ToAnsi(value), FPath))
        throw ESettingsWriteError(FPath);
}

void SettingsFile::WriteKeyInteger(std::string_view section, std::string_view key, int32_t value)
{
    WriteKeyText(section, key, IntToStr(value));
}

void SettingsFile::WriteKeyFlag(std::string_view section, std::string_view key, bool value)
{
    WriteKeyText(section, key, value ? "1" : "0");
}

void SettingsFile::WriteKeyNumber(std::string_view section, std::string_view key, double value)
{
    WriteKeyText(section, key, FormatNumber(value, "."));
}
