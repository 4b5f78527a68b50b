// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ProfileFile.h"

#include "tests/support/FileBytes.h"
#include "tests/support/FileSizeLimit.h"

#include <QDir>
#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

void Spit(const std::string &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// A file mixing what real files hold: comments, blank lines, odd spacing, quotes, LF and CR LF line ends, a GBK
// section name and two sections whose names differ only in a GBK trail byte that looks like a letter.
const std::string Fixture = "; top comment\r\n"
                            "orphan=before any section\r\n"
                            "[Port]\r\n"
                            "  Name = COM3  \r\n"
                            "empty=\r\n"
                            "quoted=\"  spaced  \"\r\n"
                            "# name=commented out\n"
                            "name=second occurrence\r\n"
                            "\r\n"
                            "[\xCF\xB5\xCD\xB3]\n"
                            "key=gbk section\n"
                            "[\x81\x41]\r\n"
                            "k=upper trail\r\n"
                            "[\x81\x61]\r\n"
                            "k=lower trail\r\n"
                            "[port]\r\n"
                            "late=only in the repeated section\r\n";

TEST(ProfileFile, FindsValuesByTheFileRules)
{
    struct Case {
        const char *Section;
        const char *Key;
        std::optional<std::string> Expected;
    } cases[] = {
        { "Port", "name", "COM3" }, // blanks trimmed, first occurrence wins, names without letter case
        { "PORT", " NAME ", "COM3" },
        { "Port", "empty", "" }, // present but empty is not missing
        { "Port", "quoted", "  spaced  " },
        { "Port", "# name", std::nullopt }, // comment lines hold no key
        { "Port", "orphan", std::nullopt },
        { "Port", "late", std::nullopt }, // only the first section of a name counts
        { "Missing", "name", std::nullopt },
        { "\xCF\xB5\xCD\xB3", "KEY", "gbk section" },
        { "\x81\x41", "k", "upper trail" }, // a trail byte is part of a character, never folded
        { "\x81\x61", "k", "lower trail" },
    };
    for (const Case &c : cases)
        EXPECT_EQ(FindProfileValue(Fixture, c.Section, c.Key), c.Expected) << c.Section << " / " << c.Key;
}

TEST(ProfileFile, SettingAValueKeepsEveryOtherLine)
{
    // Replacing keeps the key's own spelling and the line's break; nothing else moves.
    std::string replaced = SetProfileValue(Fixture, "port", "NAME", "COM7");
    std::string expected = Fixture;
    expected.replace(expected.find("  Name = COM3  "), 15, "  Name =COM7");
    EXPECT_EQ(replaced, expected);

    // A new key goes after the section's last filled line, before the blank line that ends it.
    std::string added = SetProfileValue(Fixture, "Port", "baud", "9600");
    expected = Fixture;
    expected.insert(expected.find("\r\n[\xCF\xB5"), "baud=9600\r\n");
    EXPECT_EQ(added, expected);

    // A missing section is added at the end, after a line break for a file that ends without one.
    EXPECT_EQ(SetProfileValue("a=1", "New", "k", "v"), "a=1\r\n[New]\r\nk=v\r\n");
    EXPECT_EQ(SetProfileValue("[s]", "s", "k", "v"), "[s]\r\nk=v\r\n");
    EXPECT_EQ(SetProfileValue("", "s", "k", ""), "[s]\r\nk=\r\n");
}

TEST(ProfileFile, RefusesEntriesThatWouldChangeTheFileStructure)
{
    EXPECT_TRUE(IsStorableProfileEntry("\xCF\xB5", "key", "any text = with [brackets]"));
    EXPECT_FALSE(IsStorableProfileEntry("s", "k", "two\r\nlines"));
    EXPECT_FALSE(IsStorableProfileEntry("s", "k", "x\nstopbits=9"));
    EXPECT_FALSE(IsStorableProfileEntry("s", "k", std::string("nul\0byte", 8)));
    EXPECT_FALSE(IsStorableProfileEntry("s]", "k", "v"));
    EXPECT_FALSE(IsStorableProfileEntry("s", "k=x", "v"));
    EXPECT_FALSE(IsStorableProfileEntry("s", " [k", "v"));
    EXPECT_FALSE(IsStorableProfileEntry("s", ";k", "v"));
}

class ProfileFileOnDisk : public ::testing::Test
{
protected:
    QTemporaryDir Folder;
    std::string Path = Folder.filePath("setfile.ini").toStdString();
};

TEST_F(ProfileFileOnDisk, ReadsDefaultsWhenNothingIsThereAndCutsLongValues)
{
    EXPECT_EQ(ReadProfileString("s", "k", "dflt", Path), "dflt");
    EXPECT_EQ(ReadProfileString("s", "k", "dflt", Folder.path().toStdString()), "dflt"); // a folder is no file

    std::string longValue(3000, 'v');
    Spit(Path, "[s]\r\nk=" + longValue + "\r\nother=1\r\n");
    EXPECT_EQ(ReadProfileString("s", "k", "", Path), longValue.substr(0, ProfileValueLimit));
    EXPECT_EQ(ReadProfileString("s", "missing", "dflt", Path), "dflt");
}

TEST_F(ProfileFileOnDisk, WritesCreateTheFileAndKeepItsMode)
{
    ASSERT_TRUE(WriteProfileString("\xCF\xB5", "a", "1", Path));
    ASSERT_TRUE(WriteProfileString("\xCF\xB5", "b", "2", Path));
    ASSERT_TRUE(WriteProfileString("\xCF\xB5", "A", "3", Path));
    EXPECT_EQ(FileBytes(Path), "[\xCF\xB5]\r\na=3\r\nb=2\r\n");

    ASSERT_EQ(::chmod(Path.c_str(), 0640), 0);
    ASSERT_TRUE(WriteProfileString("x", "k", "v", Path));
    struct stat st {
    };
    ASSERT_EQ(::stat(Path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    // A link stays a link; the file it points to gets the value.
    std::string link = Folder.filePath("link.ini").toStdString();
    ASSERT_EQ(::symlink(Path.c_str(), link.c_str()), 0);
    ASSERT_TRUE(WriteProfileString("x", "k", "through link", link));
    EXPECT_EQ(ReadProfileString("x", "k", "", Path), "through link");
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}

TEST_F(ProfileFileOnDisk, RefusedWritesLeaveEverythingAsItWas)
{
    Spit(Path, "[s]\r\nk=old\r\n");
    std::string blocker = Folder.filePath("plainfile").toStdString();
    Spit(blocker, "x");
    std::string readOnly = Folder.filePath("readonly.ini").toStdString();
    Spit(readOnly, "[s]\r\nk=old\r\n");
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);

    EXPECT_FALSE(WriteProfileString("s", "k", "new", blocker + "/setfile.ini")); // folder is a file
    EXPECT_FALSE(WriteProfileString("s", "k", "new", Folder.filePath("missing/setfile.ini").toStdString()));
    EXPECT_FALSE(WriteProfileString("s", "k", "new", readOnly)); // refused even for an administrator
    EXPECT_FALSE(WriteProfileString("s", "k", "new\r\n[s2]", Path));
    EXPECT_FALSE(WriteProfileString("s", "k", "new", Folder.path().toStdString()));
    EXPECT_EQ(FileBytes(Path), "[s]\r\nk=old\r\n");
    EXPECT_EQ(FileBytes(readOnly), "[s]\r\nk=old\r\n");
}

TEST_F(ProfileFileOnDisk, AWriteCutShortLeavesTheOldFileWhole)
{
    std::string original = "; keep me\r\n[s]\r\nk=old\r\n";
    Spit(Path, original);
    {
        TFileSizeLimit limit(original.size() + 4);
        EXPECT_FALSE(WriteProfileString("s", "k", std::string(100, 'n'), Path));
    }
    EXPECT_EQ(FileBytes(Path), original);
    // Nothing is left behind beside it.
    EXPECT_EQ(QDir(Folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

} // namespace
