// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"

#include <string_view>

namespace
{

TCommandLine Failed(std::string error)
{
    TCommandLine line;
    line.Action = TCommandLine::TAction::Error;
    line.Error = std::move(error);
    return line;
}

} // namespace

TCommandLine ParseCommandLine(const std::vector<std::string> &arguments)
{
    TCommandLine line;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string_view argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            line.Action = TCommandLine::TAction::Help;
            return line;
        }
        if (argument == "--version") {
            line.Action = TCommandLine::TAction::Version;
            return line;
        }

        std::string *target = nullptr;
        std::string_view name = argument.substr(0, argument.find('='));
        if (name == "--config-dir")
            target = &line.ConfigDir;
        else if (name == "--port")
            target = &line.Port;
        else if (argument.starts_with('-'))
            return Failed("unknown option '" + std::string(argument) + "'");
        else
            return Failed("unexpected argument '" + std::string(argument) + "'");

        std::string value;
        if (name.size() < argument.size())
            value = argument.substr(name.size() + 1);
        else if (i + 1 < arguments.size())
            value = arguments[++i];
        else
            return Failed("option '" + std::string(name) + "' needs a value");
        if (value.empty())
            return Failed("option '" + std::string(name) + "' needs a value");
        *target = value;
    }
    return line;
}

std::string UsageText()
{
    return "Usage: kelvara [OPTION]...\n"
           "Serial-port terminal with a live waveform chart.\n"
           "\n"
           "  --config-dir DIR  keep the port settings (setfile.ini) and the send history (txt.txt) in DIR\n"
           "  --port PATH       open the device PATH (or COMn, rfc2217://HOST:PORT, tcp://HOST:PORT) in this run\n"
           "                    instead of the port in setfile.ini;\n"
           "                    setfile.ini changes only when you save in the port settings window\n"
           "  -h, --help        show this help and exit\n"
           "      --version     show the version and exit\n"
           "\n"
           "Without --config-dir the files live in $XDG_CONFIG_HOME/kelvara/ (~/.config/kelvara/), or beside the\n"
           "program when a setfile.ini or a file named portable lies there.\n"
           "Serial ports belong to the group dialout.\n";
}

std::string VersionText()
{
    return std::string("kelvara ") + KELVARA_VERSION + "\n";
}
