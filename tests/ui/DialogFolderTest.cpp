// SPDX-License-Identifier: GPL-3.0-or-later
// Where the file dialogs open: never the hidden settings folder.
#include "ui/DialogFolder.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

TEST(DialogFolder, TheLastFolderChosenElseDocumentsElseHome)
{
    struct Case {
        const char *Name;
        TDialogFolderFacts Facts;
        std::string Expected;
    };
    const Case cases[] = {
        { "first dialog of the run", { "", false, "/home/ann/文档", true, "/home/ann" }, "/home/ann/文档" },
        { "no documents folder on disk", { "", false, "/home/ann/Documents", false, "/home/ann" }, "/home/ann" },
        { "the system names none", { "", false, "", false, "/home/ann" }, "/home/ann" },
        { "the folder last chosen", { "/srv/logs", true, "/home/ann/Documents", true, "/home/ann" }, "/srv/logs" },
        { "the folder last chosen went away", { "/media/usb", false, "/home/ann/Documents", true, "/home/ann" },
            "/home/ann/Documents" },
    };
    for (const Case &c : cases)
        EXPECT_EQ(ChooseDialogFolder(c.Facts), c.Expected) << c.Name;
}

TEST(DialogFolder, FollowsTheFileChosenInThisRun)
{
    const QString first = DialogFolder();
    EXPECT_FALSE(first.isEmpty());
    EXPECT_TRUE(QDir(first).exists()) << first.toStdString();

    QTemporaryDir chosen;
    ASSERT_TRUE(chosen.isValid());
    RememberDialogFile(chosen.filePath("data.csv"));
    EXPECT_EQ(DialogFolder(), chosen.path());
    EXPECT_EQ(DialogPath("sc.txt"), chosen.filePath("sc.txt"));
    RememberDialogFile({});
    EXPECT_EQ(DialogFolder(), chosen.path()) << "a cancelled dialog changes nothing";
}

} // namespace
