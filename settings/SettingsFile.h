// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

// A write to the settings file that the system refused. what() is "Unable to write to <path>".
class ESettingsWriteError : public std::runtime_error
{
public:
    explicit ESettingsWriteError(const std::string &path)
        : std::runtime_error("Unable to write to " + path)
    {
    }
};

// One profile file of settings, reached key by key. Creating the object neither reads nor creates the file; every
// operation goes to the file at once and nothing is kept between operations. Section, key and text values are UTF-8
// here and GBK in the file. Reads never fail: a missing file, section or key, or a value that does not convert,
// gives the caller's default. Writes create what is missing and throw ESettingsWriteError when refused.
class SettingsFile
{
public:
    explicit SettingsFile(std::string path);
    // Flushes the file; the result is ignored.
    ~SettingsFile();
    SettingsFile(const SettingsFile &) = delete;
    SettingsFile &operator=(const SettingsFile &) = delete;

    const std::string &Path() const { return FPath; }

    // The value text, at most 2047 bytes of the file; a key present with an empty value gives the empty text.
    std::string ReadKeyText(std::string_view section, std::string_view key, std::string_view defaultValue) const;
    // The value converted with ParseInteger.
    int32_t ReadKeyInteger(std::string_view section, std::string_view key, int32_t defaultValue) const;
    // On when the value is an integer other than 0.
    bool ReadKeyFlag(std::string_view section, std::string_view key, bool defaultValue) const;
    // The value converted with ParseNumber (a period or the locale's decimal separator).
    double ReadKeyNumber(std::string_view section, std::string_view key, double defaultValue) const;

    void WriteKeyText(std::string_view section, std::string_view key, std::string_view value);
    void WriteKeyInteger(std::string_view section, std::string_view key, int32_t value);
    // Writes "1" for on and "0" for off.
    void WriteKeyFlag(std::string_view section, std::string_view key, bool value);
    // Writes FormatNumber(value) with a period, whatever the locale, so every machine reads the file alike.
    void WriteKeyNumber(std::string_view section, std::string_view key, double value);

private:
    std::string FPath;
};
