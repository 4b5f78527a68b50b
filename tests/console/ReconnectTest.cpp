// SPDX-License-Identifier: GPL-3.0-or-later
// Automatic reconnection: the watch on its own, and the main window with a pty behind a symbolic link that is
// re-pointed to a new pty each time the old one goes away.
#include "MessageBoxRecorder.h"
#include "comm/SerialComm.h"
#include "console/MainForm.h"
#include "console/port/ReconnectWatch.h"
#include "console/receive/ReceivePane.h"
#include "settings/PortSettings.h"
#include "tests/support/Pty.h"
#include "tests/support/Ser2Net.h"
#include "tests/support/WaitUntil.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <unistd.h>

namespace
{

using namespace std::chrono_literals;

TEST(ReconnectWatch, WaitsForThePathAndRetriesUntilAnOpenSucceeds)
{
    std::set<std::string> present;
    TReconnectWatch watch([&](const std::string &path) { return present.count(path) > 0; });
    EXPECT_FALSE(watch.Poll()) << "nothing lost, nothing to do";

    watch.Lost("/dev/ttyUSB0");
    EXPECT_TRUE(watch.Waiting());
    EXPECT_FALSE(watch.Poll());
    present.insert("/dev/ttyUSB0");
    EXPECT_TRUE(watch.Poll());
    watch.Attempted(false); // back, but not ready yet
    EXPECT_TRUE(watch.Waiting());
    EXPECT_TRUE(watch.Poll());
    watch.Attempted(true);
    EXPECT_FALSE(watch.Waiting());
    EXPECT_FALSE(watch.Poll());

    watch.Lost("/dev/ttyUSB0");
    watch.Cancel();
    EXPECT_FALSE(watch.Poll());

    QTemporaryDir folder;
    const std::string link = folder.filePath("port").toStdString();
    EXPECT_FALSE(DevicePresent(link));
    ASSERT_EQ(::symlink(folder.filePath("gone").toStdString().c_str(), link.c_str()), 0);
    EXPECT_FALSE(DevicePresent(link)) << "a dangling link is no device";
    EXPECT_TRUE(DevicePresent("/dev/null"));
}

// Points the link at target in one step, as a device manager re-creating a device node would.
bool PointLink(const std::string &link, const std::string &target)
{
    const std::string temporary = link + ".new";
    ::unlink(temporary.c_str());
    return ::symlink(target.c_str(), temporary.c_str()) == 0 && std::rename(temporary.c_str(), link.c_str()) == 0;
}

TEST(Reconnect, TwentyUnplugsAndReplugsBehindOnePathEachFollowedByData)
{
    QTemporaryDir folder;
    const std::string link = folder.filePath("ttyKELVARA").toStdString();
    auto pty = std::make_unique<TPty>(TPty::Raw);
    ASSERT_TRUE(pty->Valid());
    ASSERT_TRUE(PointLink(link, pty->SlavePath));

    TMessageBoxRecorder boxes;
    TMainForm form;
    form.LoadOptions(folder.filePath("setfile.ini").toStdString());
    TConsoleOptions options;
    options.AutoReconnect = true;
    form.SetOptions(options);
    std::vector<QString> notes;
    QObject::connect(&form, &TMainForm::Notify, [&](const QString &text) { notes.push_back(text); });
    form.Comm1->SetCommName(link);
    form.Comm1->OpenPort();
    ASSERT_TRUE(form.Comm1->IsOpen());

    for (int round = 0; round < 20; ++round) {
        const std::string line = "round " + std::to_string(round);
        pty->Write(line + "\r\n");
        ASSERT_TRUE(WaitUntil([&] { return form.Memo1->PlainText().contains(QString::fromStdString(line)); }))
            << "no data in round " << round;

        pty.reset(); // unplugged
        ASSERT_TRUE(WaitUntil([&] { return !form.Comm1->IsOpen(); })) << "round " << round;
        pty = std::make_unique<TPty>(TPty::Raw);
        ASSERT_TRUE(pty->Valid());
        ASSERT_TRUE(PointLink(link, pty->SlavePath)); // plugged in again
        ASSERT_TRUE(WaitUntil([&] { return form.Comm1->IsOpen(); })) << "not reopened in round " << round;
    }
    pty->Write("after\r\n");
    EXPECT_TRUE(WaitUntil([&] { return form.Memo1->PlainText().contains(QStringLiteral("after")); }));

    EXPECT_TRUE(boxes.Boxes.empty()) << boxes.Texts()[0];
    ASSERT_EQ(notes.size(), 40u);
    for (std::size_t i = 0; i < notes.size(); i += 2) {
        EXPECT_EQ(notes[i], QStringLiteral("串口已断开，等待重连"));
        EXPECT_EQ(notes[i + 1], QStringLiteral("串口已重连"));
    }
    EXPECT_FALSE(form.Memo1->PlainText().contains(QStringLiteral("串口"))) << "nothing added to the received data";
}

TEST(Reconnect, TheMainWindowSaysItWaitsAndTheButtonsTreatThePortAsClosed)
{
    QTemporaryDir folder;
    const std::string link = folder.filePath("ttyKELVARA").toStdString();
    auto pty = std::make_unique<TPty>(TPty::Raw);
    ASSERT_TRUE(pty->Valid());
    ASSERT_TRUE(PointLink(link, pty->SlavePath));

    TMessageBoxRecorder boxes;
    TMainForm form;
    form.LoadOptions(folder.filePath("setfile.ini").toStdString());
    TConsoleOptions options;
    options.AutoReconnect = true;
    form.SetOptions(options);
    form.Comm1->SetCommName(link);
    form.Comm1->OpenPort();
    form.Button12Click(); // the panel stays up while the pointer is on the button
    // The label elides a long path; its tool tip holds the whole text.
    const QString name = QString::fromStdString(link);
    EXPECT_EQ(form.Label7->toolTip(), name);

    pty.reset();
    const QString waiting = QStringLiteral("等待重连：") + name;
    ASSERT_TRUE(WaitUntil([&] { return form.Label7->toolTip() == waiting; }));
    EXPECT_FALSE(form.Comm1->IsOpen());
    form.Memo2->setPlainText("x");
    form.Button7Click();
    EXPECT_EQ(boxes.Texts(), std::vector<std::string> { "数据发送错误，请检查串口是否打开" });

    pty = std::make_unique<TPty>(TPty::Raw);
    ASSERT_TRUE(PointLink(link, pty->SlavePath));
    ASSERT_TRUE(WaitUntil([&] { return form.Comm1->IsOpen(); }));
    EXPECT_EQ(form.Label7->toolTip(), name) << "open again: the name as before";

    // "关闭串口" while waiting closes as on a closed port and ends the wait.
    pty.reset();
    ASSERT_TRUE(WaitUntil([&] { return form.Label7->toolTip() == waiting; }));
    boxes.Boxes.clear();
    form.Button2Click();
    EXPECT_EQ(boxes.Texts(), std::vector<std::string> { "串口关闭成功" });
    EXPECT_EQ(form.Label7->toolTip(), name);
    pty = std::make_unique<TPty>(TPty::Raw);
    ASSERT_TRUE(PointLink(link, pty->SlavePath));
    PumpFor(500ms);
    EXPECT_FALSE(form.Comm1->IsOpen()) << "no longer waiting";
}

TEST(Reconnect, OffByDefaultTheDisconnectBoxShowsAndNothingIsWatched)
{
    auto pty = std::make_unique<TPty>(TPty::Raw);
    ASSERT_TRUE(pty->Valid());
    TMessageBoxRecorder boxes;
    TMainForm form;
    form.Comm1->SetCommName(pty->SlavePath);
    form.Comm1->OpenPort();
    pty.reset();
    ASSERT_TRUE(WaitUntil([&] { return !boxes.Boxes.empty(); }));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string> { "串口已断开" });
    EXPECT_FALSE(form.Comm1->IsOpen());
}

TEST(ReconnectWatch, AwaitsADeviceWithAByIdLinkByThatIdentityUnderAnyName)
{
    QTemporaryDir folder;
    const std::string root = folder.path().toStdString();
    std::filesystem::create_directories(root + "/dev/serial/by-id");
    const std::string link = root + "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    std::ofstream(root + "/dev/ttyUSB0").close();
    std::filesystem::create_symlink("../../ttyUSB0", link);

    TReconnectWatch watch([](const std::string &) { return false; });
    watch.SetByIdFolder(root + "/dev/serial/by-id");
    watch.Opened(root + "/dev/ttyUSB0");
    std::filesystem::remove(root + "/dev/ttyUSB0"); // unplugged: the link dangles
    watch.Lost(root + "/dev/ttyUSB0");
    EXPECT_EQ(watch.Identity(), link);
    EXPECT_FALSE(watch.Poll());

    std::ofstream(root + "/dev/ttyUSB1").close(); // back under another name
    std::filesystem::remove(link);
    std::filesystem::create_symlink("../../ttyUSB1", link);
    EXPECT_TRUE(watch.Poll());
    EXPECT_EQ(watch.Target(), root + "/dev/ttyUSB1");
    watch.Attempted(true);
    EXPECT_FALSE(watch.Waiting());

    // Lost again under its new name: still awaited by identity.
    watch.Lost(root + "/dev/ttyUSB1");
    EXPECT_EQ(watch.Identity(), link);

    // A device without a link is awaited by its path, a remote port by connecting.
    watch.Opened("/dev/null");
    watch.Lost("/dev/null");
    EXPECT_EQ(watch.Identity(), "");
    EXPECT_TRUE(DevicePresent("rfc2217://box:4001"));
}

TEST(Reconnect, ADeviceThatReturnsUnderAnotherNameIsFoundByItsByIdLink)
{
    QTemporaryDir folder;
    const std::string root = folder.path().toStdString();
    std::filesystem::create_directories(root + "/dev/serial/by-id");
    const std::string link = root + "/dev/serial/by-id/usb-Board_1234-if00";
    auto pty = std::make_unique<TPty>(TPty::Raw);
    ASSERT_TRUE(pty->Valid());
    std::filesystem::create_symlink(pty->SlavePath, root + "/dev/ttyUSB0");
    std::filesystem::create_symlink("../../ttyUSB0", link);

    TMessageBoxRecorder boxes;
    TMainForm form;
    form.LoadOptions(folder.filePath("setfile.ini").toStdString());
    TConsoleOptions options;
    options.AutoReconnect = true;
    form.SetOptions(options);
    form.ReconnectWatch().SetByIdFolder(root + "/dev/serial/by-id");
    std::vector<QString> notes;
    QObject::connect(&form, &TMainForm::Notify, [&](const QString &text) { notes.push_back(text); });
    // "打开串口" with the port named for this run, so that no settings file is read for the name.
    SetPortForThisRun(root + "/dev/ttyUSB0");
    form.Button1Click();
    SetPortForThisRun({});
    ASSERT_EQ(form.Comm1->CommName(), root + "/dev/ttyUSB0");
    ASSERT_TRUE(form.Comm1->IsOpen()) << (boxes.Boxes.empty() ? "" : boxes.Texts().back());

    pty.reset(); // unplugged: the node goes, the link dangles
    std::filesystem::remove(root + "/dev/ttyUSB0");
    ASSERT_TRUE(WaitUntil([&] { return !form.Comm1->IsOpen(); }));
    PumpFor(300ms);
    EXPECT_FALSE(form.Comm1->IsOpen());

    pty = std::make_unique<TPty>(TPty::Raw); // plugged in again, now ttyUSB1
    std::filesystem::create_symlink(pty->SlavePath, root + "/dev/ttyUSB1");
    std::filesystem::remove(link);
    std::filesystem::create_symlink("../../ttyUSB1", link);
    ASSERT_TRUE(WaitUntil([&] { return form.Comm1->IsOpen(); }));
    EXPECT_EQ(form.Comm1->CommName(), pty->SlavePath);
    pty->Write("again\r\n");
    EXPECT_TRUE(WaitUntil([&] { return form.Memo1->PlainText().contains(QStringLiteral("again")); }));
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[1], QStringLiteral("串口已重连：usb-Board_1234-if00")) << "the tray message names the device";
}

TEST(Reconnect, ARemotePortReopensWhenItsServerReturns)
{
    if (!TSer2Net::Available())
        GTEST_SKIP() << "ser2net is not installed (Debian package ser2net)";
    TPty pty(TPty::Raw);
    TSer2Net server(pty.SlavePath, TSer2Net::RawTcp);
    ASSERT_TRUE(server.Start());

    TMessageBoxRecorder boxes;
    TMainForm form;
    QTemporaryDir folder;
    form.LoadOptions(folder.filePath("setfile.ini").toStdString());
    TConsoleOptions options;
    options.AutoReconnect = true;
    form.SetOptions(options);
    form.Comm1->SetCommName(server.PortName());
    form.Comm1->OpenPort();
    ASSERT_TRUE(form.Comm1->IsOpen());

    server.Stop();
    ASSERT_TRUE(WaitUntil([&] { return !form.Comm1->IsOpen(); }));
    PumpFor(500ms); // refused attempts meanwhile: no box
    ASSERT_TRUE(server.Start());
    ASSERT_TRUE(WaitUntil([&] { return form.Comm1->IsOpen(); }));
    ASSERT_TRUE(form.Comm1->SendData("!", 1)); // through: the server has the device open
    ASSERT_EQ(pty.ReadWithin(1, 5s), "!");
    pty.Write("remote\r\n");
    EXPECT_TRUE(WaitUntil([&] { return form.Memo1->PlainText().contains(QStringLiteral("remote")); }));
    EXPECT_TRUE(boxes.Boxes.empty()) << boxes.Texts()[0];
}

} // namespace
