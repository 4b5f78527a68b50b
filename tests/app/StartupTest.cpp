#include "app/Startup.h"

#include "core/MessageBox.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <gtest/gtest.h>

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
