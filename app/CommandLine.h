// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

// The program's command line. It is read before the application object exists, so that --help and --version
// answer without a display.
//
//   --config-dir DIR   keep setfile.ini and txt.txt in DIR (created when missing)
//   --port PATH        open PATH (or COMn) with "打开串口" in this run instead of the port in setfile.ini
//   --help, -h         print the usage and end with status 0
//   --version          print the version and end with status 0
// Both value options also take the form --name=value. Anything else is an error (status 2).
struct TCommandLine {
    enum class TAction { Run, Help, Version, Error };

    TAction Action = TAction::Run;
    std::string ConfigDir;
    std::string Port;
    std::string Error; // what was wrong, for TAction::Error
};

inline constexpr int CommandLineErrorStatus = 2;

// arguments: the command line without the program's name.
TCommandLine ParseCommandLine(const std::vector<std::string> &arguments);

std::string UsageText();
std::string VersionText();
