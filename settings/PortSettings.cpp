// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/PortSettings.h"

#include "core/ParseInteger.h"
#include "platform/ProgramFolder.h"
#include "settings/ParseNumber.h"
#include "settings/SettingsFile.h"

std::string SettingsFilePath()
{
    return ProgramFilePath(SettingsFileName);
}

namespace
{

std::string &PortForThisRunSlot()
{
    static std::string name;
    return name;
}

} // namespace

void SetPortForThisRun(std::string name)
{
    PortForThisRunSlot() = std::move(name);
}

const std::string &PortForThisRun()
{
    return PortForThisRunSlot();
}

TPortSettings WithPortForThisRun(TPortSettings settings)
{
    if (!PortForThisRun().empty())
        settings.CommName = PortForThisRun();
    return settings;
}

TPortSettings ReadPortSettings(const std::string &path)
{
    const TPortSettings defaults;
    SettingsFile file(path);
    TPortSettings settings;
    settings.CommName = file.ReadKeyText(SettingsSection, KeyCommName, defaults.CommName);
    settings.BaudRate = file.ReadKeyInteger(SettingsSection, KeyBaudRate, defaults.BaudRate);
    settings.ByteSize = file.ReadKeyInteger(SettingsSection, KeyByteSize, defaults.ByteSize);
    settings.Parity = file.ReadKeyText(SettingsSection, KeyParity, defaults.Parity);
    settings.ParityCheck = file.ReadKeyFlag(SettingsSection, KeyParityCheck, defaults.ParityCheck);
    settings.StopBits = file.ReadKeyNumber(SettingsSection, KeyStopBits, defaults.StopBits);
    return settings;
}

void SavePortSettings(const std::string &path, const TPortSettingsChoice &choice)
{
    SettingsFile file(path);
    file.WriteKeyText(SettingsSection, KeyCommName, TrimControls(choice.CommName));
    PortForThisRunSlot().clear();
    file.WriteKeyInteger(SettingsSection, KeyBaudRate, ParseInteger(TrimControls(choice.BaudRate)));
    file.WriteKeyInteger(SettingsSection, KeyByteSize, ParseInteger(TrimControls(choice.ByteSize)));
    file.WriteKeyText(SettingsSection, KeyParity, ParityWord(TrimControls(choice.Parity)));
    file.WriteKeyFlag(SettingsSection, KeyParityCheck, TrimControls(choice.ParityCheck) != "否");
    file.WriteKeyNumber(SettingsSection, KeyStopBits, ParseNumber(TrimControls(choice.StopBits)));
}

std::string ParityWord(std::string_view label)
{
    if (label == "偶校验")
        return "Even";
    if (label == "奇校验")
        return "Odd";
    if (label == "标记")
        return "Mark";
    if (label == "空格")
        return "Space";
    return "none";
}

std::string ParityLabel(std::string_view word)
{
    if (word == "Even")
        return "偶校验";
    if (word == "Odd")
        return "奇校验";
    if (word == "Mark")
        return "标记";
    if (word == "Space")
        return "空格";
    return "无";
}

std::string_view TrimControls(std::string_view text)
{
    auto isControl = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (!text.empty() && isControl(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isControl(text.back()))
        text.remove_suffix(1);
    return text;
}
