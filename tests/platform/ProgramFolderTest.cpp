// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ProgramFolder.h"

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace fs = std::filesystem;

TEST(ProgramFolder, ChoosesPortableInstalledOrChosenFolder)
{
    struct Case {
        const char *Name;
        TFolderFacts Facts;
        TFilesFolder Expected;
    };
    // The facts of a folder: where it is, whether it is writable, and what lies in it.
    auto folder = [](const char *path, bool writable, bool settingsBeside, bool markerBeside,
                      const char *configDir = "", const char *xdg = "", const char *home = "/home/ann") {
        return TFolderFacts { .ExecutableFolder = path,
            .ExecutableFolderWritable = writable,
            .ConfigDirOption = configDir,
            .XdgConfigHome = xdg,
            .Home = home,
            .SettingsFileBeside = settingsBeside,
            .PortableMarkerBeside = markerBeside };
    };
    const Case cases[] = {
        { "a build folder carries the marker", folder("/work/k/build/bin", true, false, true),
            { "/work/k/build/bin/", TFilesMode::Portable } },
        { "a copy with its setfile.ini", folder("/media/usb/kelvara/", true, true, false),
            { "/media/usb/kelvara/", TFilesMode::Portable } },
        { "~/.local/bin is writable but holds neither", folder("/home/ann/.local/bin/", true, false, false),
            { "/home/ann/.config/kelvara/", TFilesMode::Installed } },
        { "a marked folder that cannot be written", folder("/media/cdrom/", false, true, true),
            { "/home/ann/.config/kelvara/", TFilesMode::Installed } },
        { "read-only folder goes to ~/.config", folder("/usr/bin/", false, false, false),
            { "/home/ann/.config/kelvara/", TFilesMode::Installed } },
        { "XDG_CONFIG_HOME is honoured", folder("/usr/bin/", false, false, false, "", "/home/ann/cfg/"),
            { "/home/ann/cfg/kelvara/", TFilesMode::Installed } },
        { "relative XDG_CONFIG_HOME is ignored", folder("/usr/bin/", false, false, false, "", "cfg", "/home/ann/"),
            { "/home/ann/.config/kelvara/", TFilesMode::Installed } },
        { "root may write /usr/bin, even with a setfile.ini there, but it is no settings folder",
            folder("/usr/bin/", true, true, true, "", "", "/root"),
            { "/root/.config/kelvara/", TFilesMode::Installed } },
        { "so is /usr/local/bin", folder("/usr/local/bin/", true, false, true, "", "/root/x", "/root"),
            { "/root/x/kelvara/", TFilesMode::Installed } },
        { "/usrlocal is not /usr", folder("/usrlocal/bin/", true, false, true, "", "", "/root"),
            { "/usrlocal/bin/", TFilesMode::Portable } },
        { "--config-dir wins over a marked folder", folder("/work/k/build/bin/", true, true, true, "/tmp/setup-a"),
            { "/tmp/setup-a/", TFilesMode::Chosen } },
        { "--config-dir wins over XDG_CONFIG_HOME",
            folder("/usr/bin/", false, false, false, "/tmp/b/", "/home/ann/cfg"), { "/tmp/b/", TFilesMode::Chosen } },
        { "no home at all", folder("/usr/bin/", false, false, false, "", "", ""),
            { "/.config/kelvara/", TFilesMode::Installed } },
    };
    for (const Case &c : cases)
        EXPECT_EQ(ChooseFilesFolder(c.Facts), c.Expected) << c.Name;
}

TEST(ProgramFolder, FactsOfThisProcess)
{
    char *current = ::getcwd(nullptr, 0);
    ASSERT_NE(current, nullptr);
    std::string cwd = current;
    std::free(current);

    TFolderFacts facts = CurrentFolderFacts("relative/dir");
    EXPECT_EQ(facts.ConfigDirOption, cwd + "/relative/dir");
    EXPECT_EQ(CurrentFolderFacts("/abs").ConfigDirOption, "/abs");
    // The test executable lies in the build folder, which the build just wrote to.
    EXPECT_EQ(facts.ExecutableFolder, fs::canonical("/proc/self/exe").parent_path().string() + "/");
    EXPECT_TRUE(facts.ExecutableFolderWritable);
    EXPECT_TRUE(facts.PortableMarkerBeside) << "the build marks its folder of executables portable";
    EXPECT_FALSE(facts.Home.empty());
}

TEST(ProgramFolder, PrepareCreatesAMissingFolderWithAnEmptyHistoryAndKeepsWhatExists)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string base = dir.path().toStdString();
    const TFilesFolder installed { base + "/home/.config/kelvara/", TFilesMode::Installed };

    EXPECT_FALSE(PrepareFilesFolder(installed)) << PrepareFilesFolder(installed).Text;
    EXPECT_TRUE(fs::is_directory(installed.Path));
    EXPECT_EQ(fs::status(installed.Path).permissions() & fs::perms::all, fs::perms::owner_all);
    ASSERT_TRUE(fs::is_regular_file(installed.Path + "txt.txt"));
    EXPECT_EQ(fs::file_size(installed.Path + "txt.txt"), 0u);

    // A second start keeps the user's history.
    std::ofstream(installed.Path + "txt.txt", std::ios::binary) << "abc\r\n";
    EXPECT_FALSE(PrepareFilesFolder(installed)) << PrepareFilesFolder(installed).Text;
    EXPECT_EQ(fs::file_size(installed.Path + "txt.txt"), 5u);

    // A portable folder is left exactly as it is.
    const TFilesFolder portable { base + "/portable/", TFilesMode::Portable };
    EXPECT_FALSE(PrepareFilesFolder(portable));
    EXPECT_FALSE(fs::exists(portable.Path));
}

TEST(ProgramFolder, PrepareReportsAFolderItCannotCreate)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string blocker = dir.path().toStdString() + "/plain-file";
    std::ofstream(blocker) << "x";
    std::string error = PrepareFilesFolder({ blocker + "/kelvara/", TFilesMode::Chosen }).Text;
    EXPECT_NE(error.find("cannot create the folder " + blocker), std::string::npos) << error;
}

TEST(ProgramFolder, FilePathsFollowTheFolderOfThisRun)
{
    const TFilesFolder before = FilesFolder();
    EXPECT_EQ(before.Mode, TFilesMode::Portable) << before.Path;
    SetFilesFolder({ "/tmp/elsewhere/", TFilesMode::Chosen });
    EXPECT_EQ(ProgramFilePath("setfile.ini"), "/tmp/elsewhere/setfile.ini");
    SetFilesFolder(before);
    EXPECT_EQ(ProgramFilePath("txt.txt"), before.Path + "txt.txt");
}
