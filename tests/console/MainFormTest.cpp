// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/MainForm.h"

#include "MessageBoxRecorder.h"
#include "auxwin/CompanionForm.h"
#include "chart/Plot.h"
#include "chart/PlotChannel.h"
#include "comm/SerialComm.h"
#include "console/DataPanelFold.h"
#include "console/FloatForm.h"
#include "console/IntervalForm.h"
#include "console/MainFormGeometry.h"
#include "console/receive/ReceivePane.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace
{

const std::vector<int> UnfoldHeights = { 144, 220, 270, 304, 326, 341, 351, 358, 362, 365, 367, 368, 369, 370 };
const std::vector<int> FoldHeights = { 300, 244, 200, 164, 136, 113, 95, 80, 68, 59, 52, 46, 41, 37, 34, 32, 30 };

// Runs the animation timer that is on until it stops by itself; returns the heights it went through.
std::vector<int> AnimateDataPanel(TMainForm &form, int maxSteps = 100)
{
    std::vector<int> heights;
    for (int step = 0; step < maxSteps; ++step) {
        if (form.Timer4->isActive())
            form.Timer4Timer();
        else if (form.Timer5->isActive())
            form.Timer5Timer();
        else
            break;
        heights.push_back(form.Panel3->height());
        // The chart area gives up what the data panel takes.
        EXPECT_EQ(form.Panel1->height() + form.Panel3->height(), 455 - 43);
    }
    return heights;
}

class MainFormTest : public ::testing::Test
{
protected:
    MainFormTest() { Form.SetWindows({ .Form4 = &Companion, .Form7 = &Floating }); }

    std::vector<int> Animate(int maxSteps = 100) { return AnimateDataPanel(Form, maxSteps); }

    void Unfold()
    {
        Form.SpeedButton1->click();
        Animate();
        ASSERT_EQ(Form.Panel3->height(), 370);
    }

    TForm4 Companion;
    TForm7 Floating;
    TMainForm Form;
};

} // namespace

TEST(DataPanelFold, StepsFromEitherEndRunTheKnownSequences)
{
    std::vector<int> up;
    for (int h = DataPanelFold::FoldedHeight; !DataPanelFold::UnfoldDone(h) || up.empty();) {
        h = DataPanelFold::NextUnfoldHeight(h);
        up.push_back(h);
    }
    EXPECT_EQ(up, UnfoldHeights);

    std::vector<int> down;
    for (int h = DataPanelFold::UnfoldedHeight; !DataPanelFold::FoldDone(h) || down.empty();) {
        h = DataPanelFold::NextFoldHeight(h);
        down.push_back(h);
    }
    EXPECT_EQ(down, FoldHeights);
}

TEST_F(MainFormTest, StartsFoldedAtItsStartSizeWithItsTimers)
{
    EXPECT_EQ(Form.size(), QSize(860, 455));
    EXPECT_EQ(Form.minimumSize(), QSize(860, 455)) << "it may grow, never shrink below its start size";
    EXPECT_TRUE(Form.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(Form.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(Form.windowTitle(), "Kelvara");
    EXPECT_EQ(Form.Panel2->geometry(), QRect(0, 0, 860, 43));
    EXPECT_EQ(Form.Panel3->geometry(), QRect(0, 425, 860, 30));
    EXPECT_EQ(Form.Panel1->geometry(), QRect(0, 43, 860, 382));
    EXPECT_EQ(Form.SpeedButton1->text(), "↑↑");
    EXPECT_EQ(Form.Button11->text(), "显示数据面板");
    EXPECT_FALSE(Form.Panel6->isVisibleTo(&Form));
    EXPECT_TRUE(Form.Panel3->isVisibleTo(&Form));
    EXPECT_TRUE(Form.Panel3->isEnabled());
    EXPECT_TRUE(Form.Memo3.Empty());
    EXPECT_TRUE(Form.Memo2->toPlainText().isEmpty());

    ASSERT_EQ(Form.ComboBox1->count(), 1000);
    EXPECT_EQ(Form.ComboBox1->itemText(0), "1");
    EXPECT_EQ(Form.ComboBox1->itemText(999), "1000");
    EXPECT_EQ(Form.ComboBox1->currentIndex(), -1);
    EXPECT_TRUE(Form.ComboBox1->currentText().isEmpty());
    EXPECT_FALSE(Form.ComboBox1->isEditable());

    EXPECT_FALSE(Form.Timer2->isActive());
    EXPECT_FALSE(Form.Timer3->isActive()); // the plot feed sleeps until lines arrive
    EXPECT_EQ(Form.Timer3->interval(), 10);
    EXPECT_FALSE(Form.Timer4->isActive());
    EXPECT_EQ(Form.Timer4->interval(), 1);
    EXPECT_FALSE(Form.Timer5->isActive());
    EXPECT_EQ(Form.Timer5->interval(), 10);
}

// A received chunk is dated by the arrival clock on its way in; the plot timer's step later puts its samples at that
// time, however late it runs.
TEST_F(MainFormTest, ReceivedSamplesArePlottedAtTheirArrivalTime)
{
    double now = 7.5;
    Form.SetArrivalClock([&now] { return now; });
    const char first[] = "11111\r\n";
    Form.Comm1ReceiveData(nullptr, first, sizeof first - 1);
    now = 7.54;
    const char second[] = "22222\r\n33333\r\n";
    Form.Comm1ReceiveData(nullptr, second, sizeof second - 1);
    Form.Timer3Timer();
    EXPECT_TRUE(Form.Memo3.Empty());
    const TPlotChannel &channel = *Form.Plot1->Channel(0);
    ASSERT_EQ(channel.Count(), 3);
    EXPECT_DOUBLE_EQ(channel.X(0), 7.5);
    EXPECT_DOUBLE_EQ(channel.X(1), 7.52);
    EXPECT_DOUBLE_EQ(channel.X(2), 7.54);
    EXPECT_EQ(channel.Y(2), 33333);
}

// The plot timer runs only while the PlotQueue holds lines: a received chunk wakes it, and the step that empties the
// queue lets it sleep.
TEST_F(MainFormTest, PlotFeedSleepsUntilLinesArriveAndWhileTheQueueIsEmpty)
{
    const char part[] = "111";
    Form.Comm1ReceiveData(nullptr, part, sizeof part - 1); // the start of a line: nothing to plot yet
    EXPECT_FALSE(Form.Timer3->isActive());
    const char empty[] = "\r\n";
    Form.Comm1ReceiveData(nullptr, empty, sizeof empty - 1); // its end: a line waits, so the feed wakes
    EXPECT_TRUE(Form.Timer3->isActive());
    Form.Timer3Timer();
    EXPECT_TRUE(Form.Memo3.Empty());
    EXPECT_FALSE(Form.Timer3->isActive());

    const char samples[] = "11111\r\n22222\r\n";
    Form.Comm1ReceiveData(nullptr, samples, sizeof samples - 1);
    ASSERT_TRUE(Form.Timer3->isActive());
    Form.Comm1ReceiveData(nullptr, samples, sizeof samples - 1); // already due: the step stays where it is
    EXPECT_TRUE(Form.Timer3->isActive());
    Form.Timer3Timer();
    EXPECT_TRUE(Form.Memo3.Empty());
    EXPECT_FALSE(Form.Timer3->isActive());
    EXPECT_EQ(Form.Plot1->Channel(0)->Count(), 5);
}

TEST_F(MainFormTest, FoldButtonUnfoldsAndFoldsThroughTheKnownHeights)
{
    Form.SpeedButton1->click();
    EXPECT_EQ(Form.SpeedButton1->text(), "↓↓");
    EXPECT_EQ(Animate(), UnfoldHeights);
    EXPECT_EQ(Form.Panel1->height(), 42);

    Form.SpeedButton1->click();
    EXPECT_EQ(Form.SpeedButton1->text(), "↑↑");
    EXPECT_EQ(Animate(), FoldHeights);
    EXPECT_EQ(Form.Panel3->geometry(), QRect(0, 425, 860, 30));
}

TEST_F(MainFormTest, AClickWhileUnfoldingFoldsFromTheHeightReachedAndAClickWhileFoldingKeepsFolding)
{
    Form.SpeedButton1->click();
    Form.Timer4Timer();
    Form.Timer4Timer();
    ASSERT_EQ(Form.Panel3->height(), 220);

    Form.SpeedButton1->click();
    EXPECT_FALSE(Form.Timer4->isActive());
    EXPECT_TRUE(Form.Timer5->isActive());
    Form.Timer5Timer();
    EXPECT_EQ(Form.Panel3->height(), 180); // 220 - (220 - 20) / 5

    Form.SpeedButton1->click();
    EXPECT_TRUE(Form.Timer5->isActive());
    EXPECT_FALSE(Form.Timer4->isActive());
    // From a height off the usual sequence the fold ends at the first step at or below 30 (here 29).
    std::vector<int> rest = Animate();
    EXPECT_EQ(rest.back(), 29);
    Form.SpeedButton1->click();
    EXPECT_TRUE(Form.Timer4->isActive());
}

TEST_F(MainFormTest, ToggleUnfoldsAndFoldsAndFollowsTheFoldButton)
{
    Form.Button11->click();
    EXPECT_EQ(Form.Button11->text(), "关闭数据面板");
    EXPECT_EQ(Animate().back(), 370);
    Form.Button11->click();
    EXPECT_EQ(Form.Button11->text(), "显示数据面板");
    EXPECT_EQ(Animate().back(), 30);

    // Unfolded with the fold button, the toggle reads "关闭数据面板" and its click folds the panel.
    Unfold();
    EXPECT_EQ(Form.Button11->text(), "关闭数据面板");
    Form.Button11->click();
    EXPECT_EQ(Form.Button11->text(), "显示数据面板");
    EXPECT_EQ(Animate().back(), 30);
}

TEST(DataPanelToggle, CaptionNamesWhatTheNextClickDoesHoweverThePanelGotThere)
{
    struct TCase {
        const char *Name;
        std::function<void(TMainForm &, TForm7 &)> Before;
    };
    const TCase cases[] = {
        { "after the floating window closed",
            [](TMainForm &form, TForm7 &floating) {
                form.Button11->click();
                AnimateDataPanel(form);
                form.BitBtn3->click();
                AnimateDataPanel(form);
                floating.BitBtn1->click();
            } },
        { "unfolded with the fold button",
            [](TMainForm &form, TForm7 &) {
                form.SpeedButton1->click();
                AnimateDataPanel(form);
            } },
        { "folded with the fold button after the toggle unfolded",
            [](TMainForm &form, TForm7 &) {
                form.Button11->click();
                AnimateDataPanel(form);
                form.SpeedButton1->click();
                AnimateDataPanel(form);
            } },
        { "part-way through folding",
            [](TMainForm &form, TForm7 &) {
                form.Button11->click();
                AnimateDataPanel(form);
                form.SpeedButton1->click();
                form.Timer5Timer();
            } },
        { "part-way through unfolding",
            [](TMainForm &form, TForm7 &) {
                form.SpeedButton1->click();
                form.Timer4Timer();
            } },
        { "the instant unfolding began", [](TMainForm &form, TForm7 &) { form.SpeedButton1->click(); } },
    };
    for (const TCase &c : cases) {
        TForm7 floating;
        TMainForm form;
        form.SetWindows({ .Form7 = &floating });
        c.Before(form, floating);
        ASSERT_TRUE(form.Panel3->isEnabled()) << c.Name;
        const bool offersShowing = form.Button11->text() == "显示数据面板";
        EXPECT_TRUE(offersShowing || form.Button11->text() == "关闭数据面板") << c.Name;
        form.Button11->click();
        AnimateDataPanel(form);
        // A fold from a height off the usual sequence may end a pixel or so below 30.
        if (offersShowing) {
            EXPECT_EQ(form.Panel3->height(), 370) << c.Name;
        } else {
            EXPECT_LE(form.Panel3->height(), 30) << c.Name;
        }
    }
}

TEST_F(MainFormTest, FloatDisablesAndFoldsThePanelAndTheToggleOnlyResetsItsCaptionUntilReEnabled)
{
    QPushButton *floatButtons[] = { Form.BitBtn3, Form.BitBtn4 };
    for (QPushButton *floatButton : floatButtons) {
        if (Form.Panel3->height() <= 30)
            Unfold();
        Form.Button11->setText("关闭数据面板");

        floatButton->click();
        EXPECT_FALSE(Form.Panel3->isEnabled());
        EXPECT_TRUE(Floating.isVisible());
        EXPECT_EQ(Animate().back(), 30);

        Form.Button11->click();
        EXPECT_EQ(Form.Button11->text(), "显示数据面板");
        EXPECT_FALSE(Form.Timer4->isActive());
        EXPECT_FALSE(Form.Timer5->isActive());
        Form.Button11->click();
        EXPECT_EQ(Form.Button11->text(), "显示数据面板");
        EXPECT_FALSE(Form.Timer4->isActive());

        // The floating window's close button enables the panel again; it stays folded until asked.
        Floating.BitBtn1->click();
        EXPECT_FALSE(Floating.isVisible());
        EXPECT_TRUE(Form.Panel3->isEnabled());
        EXPECT_EQ(Form.Panel3->height(), 30);
        Form.Button11->click();
        EXPECT_EQ(Form.Button11->text(), "关闭数据面板");
        EXPECT_EQ(Animate().back(), 370);
    }
}

TEST_F(MainFormTest, WithoutAFloatingWindowTheFloatButtonsLeaveThePanelEnabled)
{
    TMainForm alone;
    alone.SpeedButton1->click();
    while (alone.Timer4->isActive())
        alone.Timer4Timer();
    alone.BitBtn3->click();
    EXPECT_TRUE(alone.Panel3->isEnabled());
    EXPECT_FALSE(alone.Timer5->isActive());
}

TEST_F(MainFormTest, AFailingTimedSendTickStopsTheTimedSendBeforeItsOneBox)
{
    TForm3 interval;
    Form.SetWindows({ .Form3 = &interval, .Form4 = &Companion, .Form7 = &Floating });
    TMessageBoxRecorder boxes;
    Form.Memo2->setPlainText("ABC"); // the port is closed
    Form.Button9->click();
    interval.Button1->click();
    ASSERT_TRUE(Form.Timer2->isActive());

    boxes.OnShow = [&](const TMessageBoxRequest &) {
        EXPECT_FALSE(Form.Timer2->isActive());
        EXPECT_EQ(Form.Button9->text(), "定时发送");
        Form.Timer2Timer(); // a tick that was already due adds no box
    };
    Form.Timer2Timer();
    EXPECT_EQ(boxes.Texts(), std::vector<std::string> { "数据发送错误，请检查串口是否打开" });
    EXPECT_FALSE(Form.Timer2->isActive());
}

TEST_F(MainFormTest, PortInformationPanelShowsOnClickAndHidesWhenTheMouseLeaves)
{
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(Form.Button12, &leave);
    EXPECT_FALSE(Form.Panel6->isVisibleTo(&Form));

    Form.Button12->click();
    EXPECT_TRUE(Form.Panel6->isVisibleTo(&Form));
    QCoreApplication::sendEvent(Form.Button12, &leave);
    EXPECT_FALSE(Form.Panel6->isVisibleTo(&Form));
}

TEST_F(MainFormTest, APortNameTooLongForItsLabelLosesItsMiddleAndIsWholeInTheToolTip)
{
    const QString longPath = QStringLiteral("/tmp/kelvara-test-Xq81Tz/links/usb-serial-adapter-0042-ttyUSB7");
    struct Case {
        QString Name;
        bool Elided;
    };
    const Case cases[] = { { "COM1", false }, { "/dev/pts/3", false }, { longPath, true } };
    for (const Case &c : cases) {
        Form.Comm1->SetCommName(c.Name.toStdString());
        Form.Button12->click();
        const QString shown = Form.Label7->text();
        EXPECT_EQ(Form.Label7->toolTip(), c.Name);
        EXPECT_LE(Form.Label7->fontMetrics().horizontalAdvance(shown), Form.Label7->width()) << shown.toStdString();
        if (!c.Elided) {
            EXPECT_EQ(shown, c.Name);
            continue;
        }
        ASSERT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
        EXPECT_TRUE(longPath.startsWith(shown.section(QChar(0x2026), 0, 0))) << shown.toStdString();
        EXPECT_TRUE(longPath.endsWith(shown.section(QChar(0x2026), 1))) << shown.toStdString();
        EXPECT_TRUE(shown.startsWith("/t") && shown.endsWith("B7")) << "both ends stay: " << shown.toStdString();
    }
}

TEST_F(MainFormTest, ClickOnTheTopBarShowsTheDataPanel)
{
    Form.Panel3->hide();
    Form.Panel2Click();
    EXPECT_TRUE(Form.Panel3->isVisibleTo(&Form));
}

TEST_F(MainFormTest, CloseRequestHidesMainAndCompanionUnlessClosingIsAllowed)
{
    Form.show();
    EXPECT_TRUE(Companion.isVisible());
    EXPECT_FALSE(Form.close());
    EXPECT_FALSE(Form.isVisible());
    EXPECT_FALSE(Companion.isVisible());

    Form.show();
    Form.AllowClose();
    EXPECT_TRUE(Form.close());
}

TEST_F(MainFormTest, HotKeyAppendsTheLocalTimeToTheSendBox)
{
    Form.Memo2->setPlainText("ABC");
    Form.HotKeyPressed();
    EXPECT_TRUE(
        QRegularExpression("^ABC([01][0-9]|2[0-3])[0-5][0-9][0-5][0-9]$").match(Form.Memo2->toPlainText()).hasMatch())
        << Form.Memo2->toPlainText().toStdString();
}

TEST_F(MainFormTest, AGrownWindowGivesTheChartTheRoomAndKeepsTheBarsHeights)
{
    Form.resize(1200, 700);
    QCoreApplication::sendPostedEvents();
    Form.show(); // the resize reaches a hidden window when it is shown
    EXPECT_EQ(Form.Panel2->geometry(), QRect(0, 0, 1200, 43));
    EXPECT_EQ(Form.Panel3->geometry(), QRect(0, 670, 1200, 30));
    EXPECT_EQ(Form.Panel1->geometry(), QRect(0, 43, 1200, 627));
    EXPECT_EQ(Form.Plot1->size(), QSize(1200, 627));
    EXPECT_EQ(Form.SpeedButton1->width(), 1200);
    EXPECT_EQ(Form.Memo1->width(), 1194);
    EXPECT_EQ(Form.Memo2->width(), 1194);
    EXPECT_EQ(Form.BitBtn2->geometry(), QRect(1140, 10, 52, 25)) << "升级 stays at the bar's right end";
    EXPECT_EQ(Form.BitBtn1->x(), 1084);

    // The data panel unfolds to its height from the new bottom; the chart keeps the rest.
    Form.SpeedButton1->click();
    for (int step = 0; step < 100 && Form.Timer4->isActive(); ++step)
        Form.Timer4Timer();
    EXPECT_EQ(Form.Panel3->geometry(), QRect(0, 330, 1200, 370));
    EXPECT_EQ(Form.Panel1->geometry(), QRect(0, 43, 1200, 287));

    // Shrinking back gives exactly the start layout.
    Form.resize(860, 455);
    EXPECT_EQ(Form.Panel3->geometry(), QRect(0, 85, 860, 370));
    EXPECT_EQ(Form.Panel1->geometry(), QRect(0, 43, 860, 42));
    EXPECT_EQ(Form.BitBtn1->geometry(), QRect(744, 10, 52, 25));
    Form.hide();
}

TEST(MainFormSize, TheLastSizeIsKeptAndComesBackAtTheNextStart)
{
    QTemporaryDir folder;
    const std::string settings = folder.filePath("setfile.ini").toStdString();
    {
        TMainForm form;
        form.LoadOptions(settings);
        EXPECT_EQ(form.size(), QSize(860, 455)) << "the first start";
        form.show();
        // Within the offscreen screen's 800 x 600 (a stored size larger than the screen is cut to it).
        form.resize(860, 580);
        QCoreApplication::sendPostedEvents();
        form.hide(); // writes what waits for the resizes to settle
    }
    EXPECT_EQ(LoadMainFormSize(settings), (TMainFormSize { QSize(860, 580), false }));
    TMainForm next;
    next.LoadOptions(settings);
    EXPECT_EQ(next.size(), QSize(860, 580));
}

TEST(MainFormSize, AStoredSizeIsKeptWithinTheStartSizeAndTheScreen)
{
    struct TCase {
        const char *Name;
        QSize Stored;
        QSize Available;
        QSize Expected;
    };
    const TCase cases[] = {
        { "as stored", { 1000, 600 }, { 1920, 1080 }, { 1000, 600 } },
        { "never below the start size", { 500, 200 }, { 1920, 1080 }, { 860, 455 } },
        { "nonsense reads as the start size", { -5, 0 }, { 1920, 1080 }, { 860, 455 } },
        { "no larger than the screen", { 4000, 3000 }, { 1920, 1080 }, { 1920, 1080 } },
        { "a screen smaller than the start size", { 1000, 600 }, { 800, 400 }, { 860, 455 } },
        { "no screen known", { 4000, 3000 }, {}, { 4000, 3000 } },
    };
    for (const TCase &c : cases)
        EXPECT_EQ(StartingMainFormSize(c.Stored, c.Available), c.Expected) << c.Name;
}

TEST(MainFormSize, RegionsFollowTheClientArea)
{
    const TMainFormRegions regions = MainFormRegions(QSize(1000, 600), 43, 370);
    EXPECT_EQ(regions.TopBar, QRect(0, 0, 1000, 43));
    EXPECT_EQ(regions.DataPanel, QRect(0, 230, 1000, 370));
    EXPECT_EQ(regions.ChartArea, QRect(0, 43, 1000, 187));
}
