// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Startup.h"

#include "core/MessageBox.h"
#include "platform/ProgramFolder.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QTemporaryDir>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <vector>

TEST(Startup, QtsOwnTextsAreChineseAndTheProgramOutlivesItsLastWindow)
{
    // Keep the tests' message-box handler: PrepareApplication installs the real dialogs.
    TMessageBoxHandler previous = SetMessageBoxHandler(nullptr);
    PrepareApplication(*qApp);
    SetMessageBoxHandler(previous);

    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "OK"), "确定");
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "取消");
    EXPECT_EQ(QApplication::applicationName(), "Kelvara");
    // The windows name the installed desktop entry.
    EXPECT_TRUE(QFile::exists(QStringLiteral(KELVARA_TEST_SUPPORT_DIR "/../../data/")
        + QGuiApplication::desktopFileName() + QStringLiteral(".desktop")))
        << QGuiApplication::desktopFileName().toStdString();
    EXPECT_FALSE(QApplication::windowIcon().isNull());
    EXPECT_FALSE(QApplication::quitOnLastWindowClosed());
}

TEST(Startup, AFilesFolderThatCannotBeWrittenIsNamedInABoxWithTheReason)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string file = dir.filePath("plain-file").toStdString();
    std::ofstream(file) << "x";
    std::vector<TMessageBoxRequest> boxes;
    TMessageBoxHandler previous = SetMessageBoxHandler([&](const TMessageBoxRequest &request) {
        boxes.push_back(request);
        return int(idOk);
    });

    // The chosen folder is a file, or lies inside one.
    for (const std::string &folder : { file + "/", file + "/kelvara/" }) {
        SCOPED_TRACE(folder);
        boxes.clear();
        const TFolderProblem problem = PrepareFilesFolder({ folder, TFilesMode::Chosen });
        ASSERT_TRUE(problem);
        ReportFilesFolderProblem(folder, problem.Error);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_NE(boxes[0].Text.find(folder), std::string::npos) << boxes[0].Text;
        EXPECT_NE(boxes[0].Text.find(std::strerror(ENOTDIR)), std::string::npos) << boxes[0].Text;
        EXPECT_EQ(boxes[0].Caption, "提示");
        EXPECT_EQ(boxes[0].Flags, mbIconExclamation);
    }
    SetMessageBoxHandler(previous);
}
