// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ProgramFolder.h"

#include <cstdint>
#include <string>
#include <string_view>

// The serial line settings kept in setfile.ini (SettingsFileName, platform/ProgramFolder.h, which decides by it where
// the program keeps its files): its section, keys and defaults, and reading and saving them.

inline constexpr const char *SettingsSection = "系统参数";
inline constexpr const char *KeyCommName = "commname";
inline constexpr const char *KeyBaudRate = "baudrate";
inline constexpr const char *KeyByteSize = "bytesize";
inline constexpr const char *KeyParity = "parity";
inline constexpr const char *KeyParityCheck = "paritycheck";
inline constexpr const char *KeyStopBits = "stopbits";

// The six values, each starting at the default that a read gives when the file lacks it.
struct TPortSettings {
    std::string CommName = "COM1";
    int32_t BaudRate = 9600;
    int32_t ByteSize = 8;
    std::string Parity = "none"; // "Even", "Odd", "Mark", "Space" or "none" when written by the settings window
    bool ParityCheck = false;
    double StopBits = 1;

    bool operator==(const TPortSettings &) const = default;
};

// The full path of setfile.ini in the folder of this run: beside the executable in a portable setup, else in the
// per-user settings folder (platform/ProgramFolder.h).
std::string SettingsFilePath();

// A port named on the command line (--port) for this run; empty when none. It takes the place of commname each
// time the port is opened, and lasts until the user saves in the port settings window, whose choice then counts.
// The file itself is never changed by it. User-interface thread only.
void SetPortForThisRun(std::string name);
const std::string &PortForThisRun();
TPortSettings WithPortForThisRun(TPortSettings settings);

// Reads the six keys of the file at path, in the order commname, baudrate, bytesize, parity, paritycheck, stopbits;
// a missing file, key or unconvertible value gives that key's default. Never fails.
TPortSettings ReadPortSettings(const std::string &path);

// The texts of the six lists of the port settings window, as the user chose them.
struct TPortSettingsChoice {
    std::string CommName;
    std::string BaudRate;
    std::string ByteSize;
    std::string Parity; // a label: "偶校验", "奇校验", "无", "标记", "空格"
    std::string ParityCheck; // "是" or "否"
    std::string StopBits;
};

// Trims each text, converts it and writes the six keys in order, each write reaching the file before the next value
// is worked out; once commname is written, a port given for this run no longer counts. The first failure ends the
// save by throwing (EConvertError for a text that does not convert, ESettingsWriteError for a refused write): the
// keys before it are in the file, the later ones keep their old values.
void SavePortSettings(const std::string &path, const TPortSettingsChoice &choice);

// The word stored for a parity label: "偶校验" Even, "奇校验" Odd, "标记" Mark, "空格" Space, anything else none.
std::string ParityWord(std::string_view label);
// The label of a stored parity word, the other way round: "无" for any word but the four.
std::string ParityLabel(std::string_view word);

// The text without the bytes 0 to 32 at either end.
std::string_view TrimControls(std::string_view text);
