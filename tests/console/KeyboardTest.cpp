// SPDX-License-Identifier: GPL-3.0-or-later
// The windows without a mouse: Tab walks only through what can be seen, the send boxes let Tab go, the chart and its
// menu are reached from the keyboard, Return presses the focused button, Esc closes each dialog as its close or cancel
// would, Return takes a history entry, and the port information shown from the keyboard goes again.
#include "MessageBoxRecorder.h"
#include "auxwin/CompanionForm.h"
#include "auxwin/HelpForm.h"
#include "auxwin/UpgradeForm.h"
#include "chart/Plot.h"
#include "chart/PlotDescription.h"
#include "chart/PlotManualClock.h"
#include "console/FloatForm.h"
#include "console/HistoryForm.h"
#include "console/IntervalForm.h"
#include "console/MainForm.h"
#include "console/ScriptForm.h"
#include "console/instruments/MeasurementForm.h"
#include "console/instruments/SpectrumForm.h"
#include "console/instruments/XYForm.h"
#include "console/plotfeed/BinaryFrameForm.h"
#include "console/plotfeed/PlotFeed.h"
#include "console/plotfeed/TriggerForm.h"
#include "console/quicksend/QuickSendForm.h"
#include "settings/PortSettingsForm.h"
#include "tests/support/WaitUntil.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace
{

// Shows the window and makes it the active one, so that it has the keyboard focus.
bool Activate(QWidget *window)
{
    window->show();
    window->activateWindow();
    return WaitUntil([window] { return QApplication::activeWindow() == window; });
}

// A key pressed and released as the focused control gets it (the window itself when nothing in it has the focus).
void Press(QWidget *window, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString &text = {})
{
    QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : window;
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(QApplication::focusWidget() ? QApplication::focusWidget() : window, &release);
}

QMenu *OpenMenu()
{
    return qobject_cast<QMenu *>(QApplication::activePopupWidget());
}

class MainFormKeys : public ::testing::Test
{
protected:
    MainFormKeys() { Form.SetWindows({ .Form4 = &Companion, .Form7 = &Floating }); }

    // The controls that Tab goes through from the first button until it comes back to it.
    std::vector<QWidget *> TabChain()
    {
        std::vector<QWidget *> chain;
        Form.Button1->setFocus(Qt::TabFocusReason);
        do {
            chain.push_back(QApplication::focusWidget());
            Press(&Form, Qt::Key_Tab);
        } while (QApplication::focusWidget() != Form.Button1 && chain.size() < 60);
        return chain;
    }

    void Unfold()
    {
        Form.SpeedButton1Click();
        while (Form.Timer4->isActive())
            Form.Timer4Timer();
    }

    TForm4 Companion;
    TForm7 Floating;
    TMainForm Form;
};

} // namespace

TEST_F(MainFormKeys, TabWalksOnlyThroughWhatTheFoldedWindowShowsAndTheChartIsOnTheWay)
{
    ASSERT_TRUE(Activate(&Form));
    const std::vector<QWidget *> folded = { Form.Button1, Form.Button2, Form.Button3, Form.ComboBox1, Form.Button12,
        Form.Button11, Form.BitBtn1, Form.BitBtn2, Form.Plot1, Form.SpeedButton1 };
    EXPECT_EQ(TabChain(), folded);

    Unfold();
    std::vector<QWidget *> unfolded = TabChain();
    const std::vector<QWidget *> panel = { Form.Button4, Form.BitBtn3, Form.Memo2, Form.Button7, Form.BitBtn4 };
    for (QWidget *control : panel)
        EXPECT_NE(std::find(unfolded.begin(), unfolded.end(), control), unfolded.end())
            << control->metaObject()->className() << " " << control->property("text").toString().toStdString();

    // Folded again, the panel's contents leave the chain again.
    Form.SpeedButton1Click();
    while (Form.Timer5->isActive())
        Form.Timer5Timer();
    EXPECT_EQ(TabChain(), folded);
}

TEST_F(MainFormKeys, TabLeavesTheSendBoxesAndCtrlTabTypesATab)
{
    QTemporaryDir folder;
    TQuickSendForm quickSend(
        folder.filePath("quicksend.ini").toStdString(), [](const char *, unsigned) { return true; },
        [] { return false; });
    Unfold();
    struct TCase {
        const char *Name;
        QWidget *Window;
        QPlainTextEdit *Box;
    };
    const TCase cases[] = {
        { "main window", &Form, Form.Memo2 },
        { "floating window", &Floating, Floating.Memo2 },
        { "quick-send content", &quickSend, quickSend.ContentEdit },
    };
    for (const TCase &c : cases) {
        ASSERT_TRUE(Activate(c.Window)) << c.Name;
        c.Box->setEnabled(true);
        c.Box->setPlainText("AB");
        c.Box->setFocus(Qt::TabFocusReason);
        c.Box->moveCursor(QTextCursor::End);
        Press(c.Window, Qt::Key_Tab, Qt::ControlModifier, "\t");
        EXPECT_EQ(c.Box->toPlainText(), "AB\t") << c.Name;
        EXPECT_EQ(QApplication::focusWidget(), c.Box) << c.Name;
        Press(c.Window, Qt::Key_Tab, Qt::NoModifier, "\t");
        EXPECT_EQ(c.Box->toPlainText(), "AB\t") << c.Name;
        EXPECT_NE(QApplication::focusWidget(), c.Box) << c.Name << ": Tab moves on";
        Press(c.Window, Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_EQ(QApplication::focusWidget(), c.Box) << c.Name << ": Shift+Tab comes back";
        c.Window->hide();
    }
}

TEST_F(MainFormKeys, TheMenuKeyAndShiftF10OnTheFocusedChartOpenItsDataViewMenu)
{
    ASSERT_TRUE(Activate(&Form));
    struct TCase {
        const char *Name;
        int Key;
        Qt::KeyboardModifiers Modifiers;
        bool Opens;
    };
    const TCase cases[] = {
        { "menu key", Qt::Key_Menu, Qt::NoModifier, true },
        { "Shift+F10", Qt::Key_F10, Qt::ShiftModifier, true },
        { "F10 alone", Qt::Key_F10, Qt::NoModifier, false },
    };
    for (const TCase &c : cases) {
        Form.Plot1->setFocus(Qt::TabFocusReason);
        ASSERT_EQ(QApplication::focusWidget(), Form.Plot1);
        Press(&Form, c.Key, c.Modifiers);
        QMenu *menu = nullptr;
        if (c.Opens)
            ASSERT_TRUE(WaitUntil([&] { return (menu = OpenMenu()) != nullptr; })) << c.Name;
        else
            QApplication::processEvents();
        menu = OpenMenu();
        ASSERT_EQ(menu != nullptr, c.Opens) << c.Name;
        if (!menu)
            continue;
        // The data view's menu, the one a right click on the data view opens, over the chart.
        QStringList captions;
        for (QAction *action : menu->actions())
            captions << action->text();
        EXPECT_TRUE(captions.contains("多通道模式") && captions.contains("频谱…")) << captions.join("|").toStdString();
        EXPECT_TRUE(Form.Plot1->rect().contains(Form.Plot1->mapFromGlobal(menu->pos()))) << c.Name;
        menu->close();
        ASSERT_TRUE(WaitUntil([] { return OpenMenu() == nullptr; }));
    }
}

TEST_F(MainFormKeys, PortInformationShownFromTheKeyboardGoesWithTheFocusOrEsc)
{
    ASSERT_TRUE(Activate(&Form));
    Form.Button12->setFocus(Qt::TabFocusReason);
    Press(&Form, Qt::Key_Space, Qt::NoModifier, " ");
    EXPECT_TRUE(Form.Panel6->isVisible());
    Press(&Form, Qt::Key_Escape);
    EXPECT_FALSE(Form.Panel6->isVisible());

    Press(&Form, Qt::Key_Return);
    EXPECT_TRUE(Form.Panel6->isVisible()) << "Return presses the button as Space does";
    Press(&Form, Qt::Key_Tab);
    EXPECT_NE(QApplication::focusWidget(), Form.Button12);
    EXPECT_FALSE(Form.Panel6->isVisible());
}

// Every dialog-like window: Esc closes it as its close box or cancel would, from whichever control has the focus,
// and changes nothing else; Return on a focused close or cancel button presses it.
TEST(DialogKeys, EscClosesEachDialogAsItsCloseOrCancelWouldAndReturnPressesTheFocusedButton)
{
    QTemporaryDir folder;
    const std::string settingsPath = folder.filePath("setfile.ini").toStdString();
    const std::string tree = folder.filePath("system").toStdString();
    std::filesystem::create_directories(tree + "/dev");
    TMessageBoxRecorder boxes;
    TPlotManualClock clock;
    TPlot plot { nullptr, &clock };
    LoadStripChartDescription(plot);
    TPlotFeed::SetUpChart(plot);
    QWidget owner;
    bool applied = false;
    bool cancelled = false;

    struct TCase {
        const char *Name;
        std::function<QWidget *()> Make;
        std::function<QPushButton *(QWidget *)> CloseButton; // null: the window has none
    };
    const TCase cases[] = {
        { "串口设置",
            [&] {
                auto *form = new TForm1;
                form->SetSettingsPath(settingsPath);
                form->SetPortRoots(TSerialPortRoots { tree + "/sys/class/tty", tree + "/dev", tree + "/dev/x" });
                return form;
            },
            [](QWidget *w) { return static_cast<TForm1 *>(w)->Button2; } },
        { "二进制帧",
            [&] {
                TBinaryFrameHooks hooks;
                hooks.Apply = [&](const TBinaryFrameSettings &) { applied = true; };
                return new TBinaryFrameForm(settingsPath, hooks);
            },
            [](QWidget *w) { return static_cast<TBinaryFrameForm *>(w)->CancelButton; } },
        { "历史数据",
            [&] {
                auto *form = new TForm2;
                form->SetHistoryPath(folder.filePath("history.txt").toStdString());
                return form;
            },
            [](QWidget *w) { return static_cast<TForm2 *>(w)->Button2; } },
        { "定时发送",
            [&] {
                auto *form = new TForm3;
                QObject::connect(form, &TForm3::Cancelled, [&] { cancelled = true; });
                return form;
            },
            [](QWidget *w) { return static_cast<TForm3 *>(w)->Button2; } },
        { "快捷发送",
            [&] {
                return new TQuickSendForm(
                    folder.filePath("quicksend.ini").toStdString(), [](const char *, unsigned) { return true; },
                    [] { return false; });
            },
            nullptr },
        { "触发", [&] { return new TTriggerForm(plot, settingsPath, &owner); }, nullptr },
        { "测量", [&] { return new TMeasurementForm(plot, &owner); }, nullptr },
        { "频谱", [&] { return new TSpectrumForm(plot, &owner); }, nullptr },
        { "XY 图", [&] { return new TXYForm(plot, &owner); }, nullptr },
        { "脚本", [&] { return new TScriptForm(TScriptFormPort {}); }, nullptr },
        { "帮助", [&] { return new TForm5; }, [](QWidget *w) { return static_cast<TForm5 *>(w)->BitBtn1; } },
        { "升级", [&] { return new TForm6; }, [](QWidget *w) { return static_cast<TForm6 *>(w)->BitBtn1; } },
    };
    for (const TCase &c : cases) {
        std::unique_ptr<QWidget> window(c.Make());
        ASSERT_TRUE(Activate(window.get())) << c.Name;
        // From the control that has the focus as the window becomes active (its first one).
        Press(window.get(), Qt::Key_Escape);
        EXPECT_FALSE(window->isVisible()) << c.Name << ": Esc closes it";
        EXPECT_TRUE(boxes.Boxes.empty() || std::string(c.Name) == "历史数据") << c.Name;
        boxes.Boxes.clear();

        if (c.CloseButton) {
            // A window of its own: the platform under test activates a window only as it first shows.
            std::unique_ptr<QWidget> again(c.Make());
            ASSERT_TRUE(Activate(again.get())) << c.Name;
            QPushButton *button = c.CloseButton(again.get());
            button->setFocus(Qt::TabFocusReason);
            Press(again.get(), Qt::Key_Return);
            EXPECT_FALSE(again->isVisible()) << c.Name << ": Return presses " << button->text().toStdString();
            boxes.Boxes.clear();
        }
    }
    EXPECT_TRUE(cancelled) << "Esc cancels the interval as \"取消\" does";
    EXPECT_FALSE(applied) << "nothing is applied";
    EXPECT_FALSE(QFile::exists(QString::fromStdString(settingsPath))) << "nothing is saved";
}

TEST(DialogKeys, ReturnOnAFocusedButtonOfTheSettingsWindowsPressesIt)
{
    QTemporaryDir folder;
    const std::string settingsPath = folder.filePath("setfile.ini").toStdString();
    TMessageBoxRecorder boxes;
    TForm1 settings;
    settings.SetSettingsPath(settingsPath);
    settings.SetPortRoots(TSerialPortRoots { folder.filePath("sys").toStdString(), folder.filePath("dev").toStdString(),
        folder.filePath("by-id").toStdString() });
    ASSERT_TRUE(Activate(&settings));
    settings.Button1->setFocus(Qt::TabFocusReason);
    Press(&settings, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string> { "串口设置成功,请重新打开串口以便生效" });
    EXPECT_TRUE(QFile::exists(QString::fromStdString(settingsPath)));

    bool applied = false;
    TBinaryFrameHooks hooks;
    hooks.Apply = [&](const TBinaryFrameSettings &) { applied = true; };
    TBinaryFrameForm frames(settingsPath, hooks);
    ASSERT_TRUE(Activate(&frames));
    frames.OkButton->setFocus(Qt::TabFocusReason);
    Press(&frames, Qt::Key_Return);
    EXPECT_TRUE(applied);
    EXPECT_FALSE(frames.isVisible());
}

TEST(DialogKeys, ReturnOnAHistoryEntryTakesItAsADoubleClickDoes)
{
    QTemporaryDir folder;
    const std::string path = folder.filePath("history.txt").toStdString();
    std::ofstream(path, std::ios::binary) << "first\r\nsecond\r\n";
    TForm2 history;
    history.SetHistoryPath(path);
    QStringList chosen;
    QObject::connect(&history, &TForm2::EntryChosen, [&](const QString &text) { chosen << text; });
    ASSERT_TRUE(Activate(&history));
    history.ListBox1->setFocus(Qt::TabFocusReason);
    history.ListBox1->setCurrentIndex(history.ListBox1->model()->index(1, 0));
    Press(&history, Qt::Key_Return);
    EXPECT_EQ(chosen, QStringList { "second" });
    EXPECT_FALSE(history.isVisible());
}
