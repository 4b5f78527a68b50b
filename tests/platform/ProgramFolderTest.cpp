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
    const Case cases[] = {
        { "writable build folder is portable", { "/work/k/build/bin", true, "", "", "/home/ann" },
            { "/work/k/build/bin/", TFilesMode::Portable } },
        { "read-only folder goes to ~/.config", { "/usr/bin/", false, "", "", "/home/ann" },
            { "/home/ann/.config/kelvara/", TFilesMode::Installed } },
        { "XDG_CONFIG_HOME is honoured", { "/usr/bin/", false, "", "/home/ann/cfg/", "/home/ann" },
            { "/home/ann/cfg/kelvara/", TFilesMode::Installed } },
        { "relative XDG_CONFIG_HOME is ignored", { "/usr/bin/", false, "", "cfg", "/home/ann/" },
            { "/home/ann/.config/kelvara/", TFilesMode::Installed } },
        { "root may write /usr/bin but it is no settings folder", { "/usr/bin/", true, "", "", "/root" },
            { "/root/.config/kelvara/", TFilesMode::Installed } },
        { "so is /usr/local/bin", { "/usr/local/bin/", true, "", "/root/x", "/root" },
            { "/root/x/kelvara/", TFilesMode::Installed } },
        { "/usrlocal is not /usr", { "/usrlocal/bin/", true, "", "", "/root" },
            { "/usrlocal/bin/", TFilesMode::Portable } },
        { "--config-dir wins over a writable folder", { "/work/k/build/bin/", true, "/tmp/setup-a", "", "/home/ann" },
            { "/tmp/setup-a/", TFilesMode::Chosen } },
        { "--config-dir wins over XDG_CONFIG_HOME", { "/usr/bin/", false, "/tmp/b/", "/home/ann/cfg", "/home/ann" },
            { "/tmp/b/", TFilesMode::Chosen } },
        { "no home at all", { "/usr/bin/", false, "", "", "" }, { "/.config/kelvara/", TFilesMode::Installed } },
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
