#include "app/Startup.h"

#include "core/MessageBox.h"

#include <QApplication>
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
    EXPECT_FALSE(QApplication::windowIcon().isNull());
    EXPECT_FALSE(QApplication::quitOnLastWindowClosed());
}
