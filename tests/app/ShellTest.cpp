// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Shell.h"

#include "auxwin/CompanionForm.h"
#include "auxwin/HelpForm.h"
#include "auxwin/UpgradeForm.h"
#include "console/FloatForm.h"
#include "console/HistoryForm.h"
#include "console/IntervalForm.h"
#include "console/MainForm.h"
#include "console/ScriptForm.h"
#include "core/MessageBox.h"
#include "platform/GlobalHotKey.h"
#include "settings/PortSettingsForm.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTimer>
#include <gtest/gtest.h>

namespace
{

class ShellTest : public ::testing::Test
{
protected:
    void SetUp() override { QApplication::setQuitOnLastWindowClosed(false); }

    // Runs the event loop until `exit` is called or a generous limit passes; returns the loop's exit code.
    static int RunLoop(std::function<void()> first)
    {
        QTimer::singleShot(0, qApp, std::move(first));
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        guard.start(10000);
        return QCoreApplication::exec();
    }

    TShell Shell;
};

} // namespace

TEST_F(ShellTest, EveryWindowIsCreatedHiddenAndTheMainWindowKnowsTheOthers)
{
    const QWidget *windows[] = { Shell.MainForm.get(), Shell.Form1.get(), Shell.Form2.get(), Shell.Form3.get(),
        Shell.Form4.get(), Shell.Form5.get(), Shell.Form6.get(), Shell.Form7.get() };
    for (const QWidget *window : windows) {
        ASSERT_NE(window, nullptr);
        EXPECT_FALSE(window->isVisible());
    }
    const TMainFormWindows &known = Shell.MainForm->Windows();
    EXPECT_EQ(known.Form1, Shell.Form1.get());
    EXPECT_EQ(known.Form4, Shell.Form4.get());
    EXPECT_EQ(known.Form7, Shell.Form7.get());
    EXPECT_EQ(Shell.MainForm->windowTitle(), "Kelvara");
}

TEST_F(ShellTest, TrayMenuHoldsTheSixItemsInOrder)
{
    QList<QAction *> items = Shell.PopupMenu1->actions();
    ASSERT_EQ(items.size(), 6);
    EXPECT_EQ(items[0], Shell.N5);
    EXPECT_EQ(items[0]->text(), "显示主界面");
    EXPECT_TRUE(items[1]->isSeparator());
    EXPECT_EQ(items[2]->text(), "退出软件");
    EXPECT_TRUE(items[3]->isSeparator());
    EXPECT_EQ(items[4]->text(), "在线升级");
    EXPECT_EQ(items[5]->text(), "在线帮助");
}

TEST_F(ShellTest, ShowingTheMainWindowShowsTheCompanionAndSetsUpTheTrayIcon)
{
    Shell.Start();
    EXPECT_TRUE(Shell.MainForm->isVisible());
    EXPECT_TRUE(Shell.Form4->isVisible());
    EXPECT_EQ(Shell.TrayIcon->toolTip(), "双击显示主界面");
    EXPECT_FALSE(Shell.TrayIcon->icon().isNull());
}

TEST_F(ShellTest, CloseHidesMainAndCompanionAndLeavesOtherWindowsAlone)
{
    Shell.TrayShown = [] { return true; };
    Shell.Start();
    Shell.Form7->show();
    EXPECT_FALSE(Shell.MainForm->close());
    EXPECT_FALSE(Shell.MainForm->isVisible());
    EXPECT_FALSE(Shell.Form4->isVisible());
    EXPECT_TRUE(Shell.Form7->isVisible());

    // Only a double click brings them back; single clicks and the middle button do nothing.
    Shell.TrayIconActivated(QSystemTrayIcon::Trigger);
    Shell.TrayIconActivated(QSystemTrayIcon::MiddleClick);
    EXPECT_FALSE(Shell.MainForm->isVisible());
    Shell.TrayIconActivated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(Shell.MainForm->isVisible());
    EXPECT_TRUE(Shell.Form4->isVisible());
}

TEST_F(ShellTest, MenuItemsShowTheirWindows)
{
    Shell.N5Click();
    EXPECT_TRUE(Shell.MainForm->isVisible());
    EXPECT_TRUE(Shell.Form4->isVisible());
    Shell.N1Click();
    EXPECT_TRUE(Shell.Form6->isVisible());
    Shell.N2Click();
    EXPECT_TRUE(Shell.Form5->isVisible());
}

TEST_F(ShellTest, HotKeyIsAbsentWithoutAnX11DisplayAndTheProgramRunsOn)
{
    EXPECT_FALSE(Shell.HotKey->IsRegistered());
    TGlobalHotKey other;
    EXPECT_FALSE(other.Register(TGlobalHotKey::KeysymF5));
    other.Unregister();
}

TEST_F(ShellTest, ExitRemovesTheIconAndEndsTheLoopWithStatusZero)
{
    int status = RunLoop([this] {
        Shell.Start();
        Shell.N4->trigger();
    });
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(Shell.TrayIcon->isVisible());
    EXPECT_FALSE(Shell.HotKey->IsRegistered());
}

TEST_F(ShellTest, ARequestFromTheSystemToQuitIsNotRefusedByTheVisibleMainWindow)
{
    int status = RunLoop([this] {
        Shell.Start();
        Shell.Form1->show();
        QCoreApplication::quit();
    });
    EXPECT_EQ(status, 0);
}

TEST_F(ShellTest, CloseWithoutATrayIconEndsTheProgramAsExitDoes)
{
    // No tray host on this desktop, or one that does not show the icon: a hidden window could never come back.
    Shell.TrayShown = [] { return false; };
    bool closed = true;
    int status = RunLoop([&] {
        Shell.Start();
        closed = Shell.MainForm->close();
    });
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(closed);
    EXPECT_FALSE(Shell.MainForm->isVisible());
    EXPECT_FALSE(Shell.TrayIcon->isVisible());
    EXPECT_FALSE(Shell.HotKey->IsRegistered());
}

TEST_F(ShellTest, ExitAsksAboutUnsavedScriptTextAndStaysOnCancelWhileAQuitSignalDoesNotAsk)
{
    std::vector<TMessageBoxRequest> asked;
    int answer = idCancel;
    TMessageBoxHandler previous = SetMessageBoxHandler([&](const TMessageBoxRequest &request) {
        asked.push_back(request);
        return answer;
    });
    Shell.MainForm->ScriptForm()->Editor->insertPlainText(QStringLiteral("port.send('AT')"));
    const auto exitAfterTrying = [](const std::function<void()> &quit) {
        return RunLoop([quit] {
            quit();
            QTimer::singleShot(200, qApp, [] { QCoreApplication::exit(7); }); // still running
        });
    };
    EXPECT_EQ(exitAfterTrying([this] { Shell.N4->trigger(); }), 7) << "Cancel stays";
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].Flags, mbYesNoCancelQuestion);
    EXPECT_EQ(exitAfterTrying([this] { Shell.Quit(); }), 0) << "a quit signal does not ask";
    EXPECT_EQ(asked.size(), 1u);
    answer = idNo;
    EXPECT_EQ(exitAfterTrying([this] { Shell.N4->trigger(); }), 0) << "No drops the text and quits";
    EXPECT_EQ(asked.size(), 2u);
    SetMessageBoxHandler(previous);
}
