// SPDX-License-Identifier: GPL-3.0-or-later
// The serial console as the program builds it: the shell in this process (every window, created as at start-up),
// a pseudo-terminal as the device named by setfile.ini beside the executable, message boxes intercepted. The test
// program lives in a folder of its own, so setfile.ini and txt.txt there belong to these tests.
#include "app/Shell.h"
#include "chart/Plot.h"
#include "chart/PlotChannel.h"
#include "comm/SerialComm.h"
#include "console/FloatForm.h"
#include "console/HistoryForm.h"
#include "console/IntervalForm.h"
#include "console/MainForm.h"
#include "console/receive/ReceivePane.h"
#include "core/MessageBox.h"
#include "settings/PortSettings.h"
#include "settings/PortSettingsForm.h"
#include "tests/console/MessageBoxRecorder.h"
#include "tests/support/FileBytes.h"
#include "tests/support/Pty.h"
#include "tests/support/Ser2Net.h"
#include "tests/support/WaitUntil.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <termios.h>
#include <unistd.h>

namespace
{

using namespace std::chrono_literals;

const std::string OpenFailed = "串口打开失败，请检测串口是否被占用或者为无用串口";

std::string BesideProgram(const char *name)
{
    return (QCoreApplication::applicationDirPath() + "/" + name).toStdString();
}

class ConsoleShell : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Pty.Valid());
        std::remove(BesideProgram("setfile.ini").c_str());
        std::remove(BesideProgram("txt.txt").c_str());
        Shell = std::make_unique<TShell>();
        Main = Shell->MainForm.get();
        Floating = Shell->Form7.get();
    }

    void TearDown() override
    {
        Shell.reset();
        std::remove(BesideProgram("setfile.ini").c_str());
        std::remove(BesideProgram("txt.txt").c_str());
    }

    static void WriteSettings(const TPortSettingsChoice &choice)
    {
        SavePortSettings(BesideProgram("setfile.ini"), choice);
    }

    void OpenOnPty()
    {
        WriteSettings({ .CommName = Pty.SlavePath,
            .BaudRate = "115200",
            .ByteSize = "8",
            .Parity = "无",
            .ParityCheck = "否",
            .StopBits = "1" });
        Main->Button1->click();
        ASSERT_EQ(Boxes.Texts(), std::vector<std::string> { "串口打开成功" });
        Boxes.Boxes.clear();
    }

    QStringList InfoTexts()
    {
        Main->Button12->click();
        return { Main->Label7->text(), Main->Label8->text(), Main->Label9->text(), Main->Label10->text(),
            Main->Label11->text() };
    }

    static QStringList Lines(const TReceivePane *pane)
    {
        QStringList lines;
        for (uint64_t i = 0; i < pane->LineCount(); ++i)
            lines << pane->LineText(i);
        return lines;
    }

    TPlotChannel *Channel() const { return Main->Plot1->Channel(0); }

    TPty Pty { TPty::Raw };
    TMessageBoxRecorder Boxes;
    std::unique_ptr<TShell> Shell;
    TMainForm *Main = nullptr;
    TForm7 *Floating = nullptr;
};

} // namespace

TEST_F(ConsoleShell, PortButtonsOpenFromSetfileReportAndShowTheValuesInUse)
{
    EXPECT_EQ(InfoTexts(), QStringList({ "COM1", "9600", "8", "无", "1" }));

    Main->Button2->click();
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0], (TMessageBoxRequest { "串口关闭成功", "提示", mbIconExclamation }));
    Boxes.Boxes.clear();

    const std::string missing = QCoreApplication::applicationDirPath().toStdString() + "/no-such-device";
    WriteSettings({ .CommName = missing,
        .BaudRate = "19200",
        .ByteSize = "8",
        .Parity = "无",
        .ParityCheck = "否",
        .StopBits = "1" });
    Main->Button1->click();
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0],
        (TMessageBoxRequest { OpenFailed + "\n" + missing + "：设备不存在", "提示", mbIconExclamation }));
    Boxes.Boxes.clear();

    WriteSettings({ .CommName = Pty.SlavePath,
        .BaudRate = "115200",
        .ByteSize = "7",
        .Parity = "偶校验",
        .ParityCheck = "是",
        .StopBits = "2" });
    Main->Button1->click();
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0], (TMessageBoxRequest { "串口打开成功", "提示", mbIconExclamation }));
    EXPECT_EQ(InfoTexts(), QStringList({ QString::fromStdString(Pty.SlavePath), "115200", "7", "偶校验", "2" }));

    // The open port carries the send box's text and the trailer, and nothing is shown.
    Boxes.Boxes.clear();
    Main->Memo2->setPlainText("ABC");
    Main->Button7->click();
    EXPECT_EQ(Pty.Read(7), "ABC[RS]");
    EXPECT_TRUE(Boxes.Boxes.empty());

    Main->Button2->click();
    EXPECT_EQ(Boxes.Texts(), std::vector<std::string> { "串口关闭成功" });
    Boxes.Boxes.clear();
    Main->Button7->click();
    EXPECT_EQ(Boxes.Texts(), std::vector<std::string> { "数据发送错误，请检查串口是否打开" });
}

TEST_F(ConsoleShell, ReceivedChunksReachBothPanesAndTheChartAndClearingLeavesTheRest)
{
    OpenOnPty();
    // The plot feed waits (its timer's steps go nowhere), so that the PlotQueue can be seen before and after clearing.
    std::optional<QSignalBlocker> feedHeld(Main->Timer3);

    // A line break first: the line it ends may be the end of one the device began before the opening, never plotted.
    Pty.Write("\r\n12345\r\n");
    ASSERT_TRUE(WaitUntil([&] { return Main->Memo3.Lines() == 1; }));
    Pty.Write("678");
    ASSERT_TRUE(WaitUntil([&] { return Main->Memo1->LineCount() == 3; })) << "the open line shows";
    Pty.Write("9\r\n");
    ASSERT_TRUE(WaitUntil([&] { return Main->Memo3.Lines() == 2; })) << "and reaches the PlotQueue once whole";
    Pty.Write(std::string("\x31\x32\x00\x33\x34", 5));
    ASSERT_TRUE(WaitUntil([&] { return Main->Memo1->LineCount() == 4; }));

    const QStringList received = { "", "12345", "6789", "12" };
    Main->Memo1->RefreshNow();
    EXPECT_EQ(Lines(Main->Memo1), received);
    EXPECT_EQ(Lines(Floating->Memo1), received);
    EXPECT_EQ(Main->Memo1->Text().Bytes(), "\r\n12345\r\n6789\r\n12");

    Main->Button6->click();
    EXPECT_EQ(Main->Memo1->LineCount(), 0u);
    EXPECT_EQ(Lines(Floating->Memo1), received);
    EXPECT_EQ(Main->Memo3.Lines(), 2u);
    EXPECT_EQ(Main->Memo3.FirstLine(), "12345");

    // The feed takes the queued lines, every whole number among them.
    feedHeld.reset();
    Main->Timer3->start();
    ASSERT_TRUE(WaitUntil([&] { return Main->Memo3.Empty(); }));
    ASSERT_EQ(Channel()->Count(), 2);
    EXPECT_EQ(Channel()->Y(0), 12345.0);
    EXPECT_EQ(Channel()->Y(1), 6789.0);
    EXPECT_GE(Channel()->X(0), 0.0);
    EXPECT_TRUE(Boxes.Boxes.empty());

    // The floating window's "清空" empties both panes.
    Pty.Write("\r\n67890\r\n");
    ASSERT_TRUE(WaitUntil([&] { return Channel()->Count() == 4; }));
    EXPECT_EQ(Channel()->Y(2), 12.0);
    EXPECT_EQ(Channel()->Y(3), 67890.0);
    EXPECT_EQ(Lines(Main->Memo1), (QStringList { "", "67890" })) << "the rest of the line open at the clear";
    Floating->Button6->click();
    EXPECT_EQ(Main->Memo1->LineCount(), 0u);
    EXPECT_EQ(Floating->Memo1->LineCount(), 0u);
}

TEST_F(ConsoleShell, FloatingSendButtonsActThroughTheMainWindowAndSendAndSaveKeepsHistory)
{
    OpenOnPty();
    {
        std::ofstream history(BesideProgram("txt.txt"), std::ios::binary);
    }

    Floating->Memo2->setPlainText("XY\nZ");
    Floating->Button8->click();
    EXPECT_EQ(Main->Memo2->toPlainText(), "XY\nZ");
    EXPECT_EQ(Pty.Read(9), "XY\r\nZ[RS]");
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0], (TMessageBoxRequest { "数据保存成功", " 示", mbIconInformation }));
    EXPECT_EQ(FileBytes(BesideProgram("txt.txt")), "XY\r\nZ\r\n");

    // The history window hands an entry to the main send box, not to the floating one.
    Floating->Button10->click();
    ASSERT_TRUE(Shell->Form2->isVisible());
    Shell->Form2->ListBox1->setCurrentIndex(Shell->Form2->ListBox1->model()->index(1, 0));
    Shell->Form2->ListBox1DblClick();
    EXPECT_EQ(Main->Memo2->toPlainText(), "Z");
    EXPECT_EQ(Floating->Memo2->toPlainText(), "XY\nZ");

    Boxes.Boxes.clear();
    Floating->Memo2->clear();
    Floating->Button7->click();
    EXPECT_TRUE(Main->Memo2->toPlainText().isEmpty());
    EXPECT_EQ(Boxes.Texts(), std::vector<std::string> { "无数据可发送，请先输入要发送的数据" });
}

TEST_F(ConsoleShell, TimedSendAtTenMillisecondsRepeatsUntilStopped)
{
    OpenOnPty();
    Main->Memo2->setPlainText("T");
    Main->Button9->click();
    EXPECT_EQ(Main->Button9->text(), "停止发送");
    ASSERT_TRUE(Shell->Form3->isVisible());
    EXPECT_FALSE(Main->Timer2->isActive());

    Shell->Form3->ComboBox1->setEditText("10");
    Shell->Form3->Button1->click();
    EXPECT_FALSE(Shell->Form3->isVisible());
    ASSERT_TRUE(Main->Timer2->isActive());
    EXPECT_EQ(Main->Timer2->interval(), 10);

    std::string line;
    ASSERT_TRUE(WaitUntil([&] {
        line += Pty.Read(1, 0ms);
        return line.size() >= 5 * 6;
    })) << "only "
        << line.size() << " bytes were sent";
    EXPECT_EQ(line.substr(0, 30), "T[RS]T[RS]T[RS]T[RS]T[RS]T[RS]");

    // The floating twin stops it too; its own caption stays.
    Floating->Memo2->setPlainText("T");
    Floating->Button9->click();
    EXPECT_EQ(Main->Button9->text(), "定时发送");
    EXPECT_EQ(Floating->Button9->text(), "定时发送");
    EXPECT_FALSE(Main->Timer2->isActive());
    PumpFor(100ms);
    Pty.Read(1 << 20, 200ms); // what was queued before the stop
    PumpFor(200ms);
    EXPECT_EQ(Pty.Read(1, 100ms), "");
    EXPECT_TRUE(Boxes.Boxes.empty());

    // "取消" in the interval window gives the caption back without starting anything.
    Main->Button9->click();
    Shell->Form3->Button2->click();
    EXPECT_EQ(Main->Button9->text(), "定时发送");
    EXPECT_FALSE(Main->Timer2->isActive());
}

// The port settings window of a program started with a setfile.ini shows that file's port and speed, so that saving a
// change to another list keeps them.
TEST_F(ConsoleShell, TheSettingsWindowStartsFromTheSavedPortAndSpeed)
{
    QTemporaryDir links;
    const std::string link = links.filePath("ttyDevice").toStdString();
    ASSERT_EQ(::symlink(Pty.SlavePath.c_str(), link.c_str()), 0);
    Shell.reset();
    WriteSettings({ .CommName = link,
        .BaudRate = "115200",
        .ByteSize = "8",
        .Parity = "无",
        .ParityCheck = "否",
        .StopBits = "1" });
    Shell = std::make_unique<TShell>();
    Main = Shell->MainForm.get();
    Floating = Shell->Form7.get();

    TForm1 &settings = *Shell->Form1;
    settings.SetPortRoots(std::nullopt);
    Main->Button3Click();
    ASSERT_TRUE(settings.isVisible());
    EXPECT_EQ(settings.ComboBox1->currentText().toStdString(), link);
    EXPECT_EQ(settings.ComboBox2->currentText(), "115200");
    settings.ComboBox4->setCurrentIndex(settings.ComboBox4->findText("偶校验"));
    settings.Button1->click();
    const TPortSettings saved = ReadPortSettings(BesideProgram("setfile.ini"));
    EXPECT_EQ(saved.CommName, link);
    EXPECT_EQ(saved.BaudRate, 115200);
    EXPECT_EQ(saved.Parity, "Even");
}

TEST_F(ConsoleShell, ARemotePortTypedInTheSettingsWindowOpensCarriesDataAndItsLossIsTold)
{
    if (!TSer2Net::Available())
        GTEST_SKIP() << "ser2net is not installed (Debian package ser2net)";
    TSer2Net server(Pty.SlavePath, TSer2Net::Rfc2217);
    ASSERT_TRUE(server.Start());

    TForm1 &settings = *Shell->Form1;
    settings.SetPortRoots(std::nullopt);
    settings.show();
    settings.ComboBox1->setEditText(QString::fromStdString(server.PortName()));
    settings.ComboBox2->setCurrentIndex(settings.ComboBox2->findText("57600"));
    settings.Button1->click();
    ASSERT_EQ(Boxes.Texts(), std::vector<std::string> { "串口设置成功,请重新打开串口以便生效" });
    Boxes.Boxes.clear();

    Main->Button1->click();
    ASSERT_EQ(Boxes.Texts(), std::vector<std::string> { "串口打开成功" });
    Boxes.Boxes.clear();
    InfoTexts();
    EXPECT_EQ(Main->Label7->toolTip(), QString::fromStdString(server.PortName())) << "the label elides a long name";
    EXPECT_TRUE(WaitUntil([&] {
        termios line {};
        ::tcgetattr(Pty.Master(), &line);
        return cfgetospeed(&line) == B57600;
    })) << "the speed reached the server's line";

    Pty.Write("321\r\n");
    EXPECT_TRUE(WaitUntil([&] { return Lines(Main->Memo1).contains("321"); }));
    Main->Memo2->setPlainText("ABC");
    Main->Button7->click();
    EXPECT_EQ(Pty.Read(7), "ABC[RS]");

    server.Stop();
    EXPECT_TRUE(WaitUntil([&] { return !Boxes.Boxes.empty(); }));
    EXPECT_EQ(Boxes.Texts(), std::vector<std::string> { "串口已断开" });
    EXPECT_FALSE(Main->Comm1->IsOpen());
}
