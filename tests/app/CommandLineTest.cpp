// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"

#include "app/PlatformChoice.h"

#include <gtest/gtest.h>

namespace
{

using TAction = TCommandLine::TAction;

TEST(CommandLine, OptionsAndErrors)
{
    struct Case {
        std::vector<std::string> Arguments;
        TAction Action;
        std::string ConfigDir;
        std::string Port;
        std::string Error;
    };
    const Case cases[] = {
        { {}, TAction::Run, "", "", "" },
        { { "--config-dir", "/tmp/a", "--port", "/dev/ttyUSB0" }, TAction::Run, "/tmp/a", "/dev/ttyUSB0", "" },
        { { "--config-dir=rel/dir", "--port=COM3" }, TAction::Run, "rel/dir", "COM3", "" },
        { { "--port", "a", "--port", "b" }, TAction::Run, "", "b", "" },
        { { "--help" }, TAction::Help, "", "", "" },
        { { "-h", "--bogus" }, TAction::Help, "", "", "" },
        { { "--port", "x", "--version" }, TAction::Version, "", "x", "" },
        { { "--bogus" }, TAction::Error, "", "", "unknown option '--bogus'" },
        { { "-platform", "xcb" }, TAction::Error, "", "", "unknown option '-platform'" },
        { { "--version=2" }, TAction::Error, "", "", "unknown option '--version=2'" },
        { { "file.txt" }, TAction::Error, "", "", "unexpected argument 'file.txt'" },
        { { "--port" }, TAction::Error, "", "", "option '--port' needs a value" },
        { { "--config-dir=" }, TAction::Error, "", "", "option '--config-dir' needs a value" },
    };
    for (const Case &c : cases) {
        std::string shown;
        for (const std::string &a : c.Arguments)
            shown += a + " ";
        TCommandLine line = ParseCommandLine(c.Arguments);
        EXPECT_EQ(line.Action, c.Action) << shown;
        EXPECT_EQ(line.Error, c.Error) << shown;
        if (c.Action != TAction::Error) {
            EXPECT_EQ(line.ConfigDir, c.ConfigDir) << shown;
            EXPECT_EQ(line.Port, c.Port) << shown;
        }
    }
}

TEST(CommandLine, HelpNamesEveryOptionAndVersionTheProjectVersion)
{
    for (const char *option : { "--config-dir", "--port", "--help", "--version", "dialout", "~/.config/kelvara/" })
        EXPECT_NE(UsageText().find(option), std::string::npos) << option;
    EXPECT_EQ(VersionText(), std::string("kelvara ") + KELVARA_TEST_VERSION + "\n");
}

TEST(PlatformChoice, WaylandSessionsRunThroughXWaylandUnlessTheUserChose)
{
    struct Case {
        const char *QtQpaPlatform;
        const char *WaylandDisplay;
        const char *SessionType;
        std::string Expected;
    };
    const Case cases[] = {
        { nullptr, nullptr, nullptr, "" },
        { nullptr, nullptr, "x11", "" },
        { nullptr, "", "tty", "" },
        { nullptr, "wayland-0", nullptr, "xcb;wayland" },
        { nullptr, nullptr, "wayland", "xcb;wayland" },
        { "", "wayland-0", "wayland", "xcb;wayland" },
        { "wayland", "wayland-0", "wayland", "" },
        { "offscreen", "wayland-0", nullptr, "" },
    };
    for (const Case &c : cases)
        EXPECT_EQ(ChoosePlatformPlugin(c.QtQpaPlatform, c.WaylandDisplay, c.SessionType), c.Expected)
            << (c.QtQpaPlatform ? c.QtQpaPlatform : "-") << " " << (c.WaylandDisplay ? c.WaylandDisplay : "-") << " "
            << (c.SessionType ? c.SessionType : "-");
}

} // namespace
