// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ExtensionSettings.h"

#include "settings/PortSettings.h"
#include "tests/support/FileBytes.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(ExtensionSettings, TheFlagLivesInItsOwnGbkSectionAndLeavesThePortSectionByteForByte)
{
    QTemporaryDir folder;
    const std::string path = folder.filePath("setfile.ini").toStdString();
    EXPECT_FALSE(ExtensionSettings::ReadFlag(path, ExtensionSettings::MultiChannelKey, false)) << "off without a file";

    SavePortSettings(path, { "COM3", "115200", "7", "偶校验", "是", "2" });
    const std::string portSection = FileBytes(path);

    EXPECT_TRUE(ExtensionSettings::WriteFlag(path, ExtensionSettings::MultiChannelKey, true));
    EXPECT_TRUE(ExtensionSettings::ReadFlag(path, ExtensionSettings::MultiChannelKey, false));
    EXPECT_EQ(FileBytes(path), portSection + "[\xC0\xA9\xD5\xB9\xC9\xE8\xD6\xC3]\r\nmultichannel=1\r\n");

    EXPECT_TRUE(ExtensionSettings::WriteFlag(path, ExtensionSettings::MultiChannelKey, false));
    EXPECT_FALSE(ExtensionSettings::ReadFlag(path, ExtensionSettings::MultiChannelKey, false));
    EXPECT_EQ(FileBytes(path), portSection + "[\xC0\xA9\xD5\xB9\xC9\xE8\xD6\xC3]\r\nmultichannel=0\r\n");

    // The port settings window saving again rewrites its own keys in place and keeps the extension's.
    SavePortSettings(path, { "COM3", "115200", "7", "偶校验", "是", "2" });
    EXPECT_EQ(FileBytes(path), portSection + "[\xC0\xA9\xD5\xB9\xC9\xE8\xD6\xC3]\r\nmultichannel=0\r\n");
    EXPECT_EQ(ReadPortSettings(path).BaudRate, 115200);
}
