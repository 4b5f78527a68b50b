// SPDX-License-Identifier: GPL-3.0-or-later
// Capture of the received bytes to a file: the writer on its own, and the main window's menu item on a pty.
#include "console/receive/ReceiveCapture.h"

#include "MessageBoxRecorder.h"
#include "comm/SerialComm.h"
#include "console/MainForm.h"
#include "console/receive/ReceiveLog.h"
#include "console/receive/ReceivePane.h"
#include "tests/support/FileBytes.h"
#include "tests/support/Pty.h"
#include "tests/support/WaitUntil.h"
#include "ui/DialogFolder.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <thread>

namespace
{

long FileSize(const std::string &path)
{
    struct stat info {
    };
    return ::stat(path.c_str(), &info) == 0 ? static_cast<long>(info.st_size) : -1;
}

// Bytes of every value, zero bytes among them, in a fixed random order. Without XON and XOFF when they are to
// cross a port: its default line settings take them as flow control.
std::string MixedBytes(std::size_t size, bool withFlowControl = true)
{
    std::mt19937 random(14);
    std::string bytes(size, '\0');
    for (char &c : bytes) {
        do
            c = static_cast<char>(random() & 0xFF);
        while (!withFlowControl && (c == 0x11 || c == 0x13));
    }
    return bytes;
}

TEST(ReceiveCapture, WritesEveryByteWithinAboutASecondAndAllOnStop)
{
    QTemporaryDir folder;
    const std::string path = folder.filePath("capture.bin").toStdString();
    TReceiveCapture capture;
    std::string error;
    ASSERT_TRUE(capture.Start(path, error)) << error;
    EXPECT_EQ(FileSize(path), 0);

    capture.Append(std::string("\0ab\0", 4));
    // Not stopped: the writer hands the bytes over within its interval (the limit here is generous).
    QElapsedTimer waited;
    waited.start();
    while (FileSize(path) != 4 && waited.elapsed() < 5000)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(FileSize(path), 4);

    const std::string bytes = MixedBytes(3 << 20);
    for (std::size_t pos = 0; pos < bytes.size(); pos += 2048)
        capture.Append(std::string_view(bytes).substr(pos, 2048));
    capture.Stop();
    EXPECT_FALSE(capture.Active());
    EXPECT_EQ(FileBytes(path), std::string("\0ab\0", 4) + bytes);
    EXPECT_EQ(capture.TakeFailure(), std::nullopt);

    // A new capture to the same file starts it afresh.
    ASSERT_TRUE(capture.Start(path, error));
    capture.Append("z");
    capture.Stop();
    EXPECT_EQ(FileBytes(path), "z");

    EXPECT_FALSE(capture.Start(folder.filePath("missing/capture.bin").toStdString(), error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(CaptureFileName(2026, 3, 4, 5, 6, 7), "capture-20260304-050607.bin");
}

TEST(ReceiveCapture, ARefusedWriteIsReportedOnceAndEndsTheCapture)
{
    TReceiveCapture capture;
    std::string error;
    ASSERT_TRUE(capture.Start("/dev/full", error)) << error;
    capture.Append(std::string(2 << 20, 'x')); // past the early-write mark: written at once
    QElapsedTimer waited;
    waited.start();
    std::optional<std::string> failure;
    while (!(failure = capture.TakeFailure()) && waited.elapsed() < 5000)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(failure);
    EXPECT_FALSE(failure->empty());
    EXPECT_FALSE(capture.Active());
    capture.Append("more");
    EXPECT_EQ(capture.TakeFailure(), std::nullopt);
}

// Triggers the receive pane's context menu item with the caption, after checking that it is there.
void ChoosePaneItem(TReceivePane &pane, const QString &caption)
{
    bool found = false;
    QTimer::singleShot(0, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        QAction *chosen = nullptr;
        for (QAction *action : menu->actions())
            if (action->text() == caption)
                chosen = action;
        menu->close();
        found = chosen != nullptr;
        if (chosen)
            chosen->trigger();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), pane.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(pane.viewport(), &event);
    EXPECT_TRUE(found) << caption.toStdString();
    QApplication::processEvents(); // the item's queued handler
}

class CaptureOnPty : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Pty.Valid());
        Form.LoadOptions(Folder.filePath("setfile.ini").toStdString());
        Form.SetCaptureChooser([this](const std::string &suggested) {
            Suggested = suggested;
            return Chosen;
        });
        Form.Comm1->SetCommName(Pty.SlavePath);
        Form.Comm1->OpenPort();
    }

    TPty Pty { TPty::Raw };
    QTemporaryDir Folder;
    TMainForm Form;
    TMessageBoxRecorder Boxes;
    std::string Chosen;
    std::string Suggested;
};

TEST_F(CaptureOnPty, TenMegabytesCapturedExactlyZeroBytesIncluded)
{
    Chosen = Folder.filePath("capture.bin").toStdString();
    const std::string startFolder = DialogFolder().toStdString();
    ChoosePaneItem(*Form.Memo1, QStringLiteral("保存接收数据到文件…"));
    ASSERT_TRUE(Form.Capture().Active());
    EXPECT_EQ(Suggested.rfind(startFolder + "/capture-", 0), 0u)
        << "in the dialogs' folder, not the settings folder: " << Suggested;
    EXPECT_EQ(Suggested.substr(Suggested.size() - 4), ".bin");
    EXPECT_EQ(DialogFolder(), Folder.path()) << "the next dialog opens where this file was chosen";

    const std::string bytes = MixedBytes(10'000'000, false);
    std::thread writer([&] { Pty.Write(bytes); });
    ASSERT_TRUE(WaitUntil([&] { return Form.Memo1->Log()->EndChunk() > 0 && FileSize(Chosen) > 0; }));
    writer.join();
    // Every byte has reached the capture once the port has handed over its last chunk.
    ASSERT_TRUE(WaitUntil([&] {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        return Form.Capture().BytesWritten() == bytes.size();
    })) << Form.Capture().BytesWritten()
        << " of " << bytes.size() << " written, log " << Form.Memo1->Log()->EndChunk() << " chunks";
    ChoosePaneItem(*Form.Memo1, QStringLiteral("停止保存接收数据"));
    EXPECT_FALSE(Form.Capture().Active());
    EXPECT_TRUE(FileBytes(Chosen) == bytes) << "captured " << FileSize(Chosen) << " of " << bytes.size() << " bytes";
    EXPECT_TRUE(Boxes.Boxes.empty());
}

TEST_F(CaptureOnPty, AFailedWriteStopsTheCaptureWithOneBoxAndTheDataStillArrives)
{
    Chosen = "/dev/full";
    ChoosePaneItem(*Form.Memo1, QStringLiteral("保存接收数据到文件…"));
    ASSERT_TRUE(Form.Capture().Active());
    Pty.Write("12345\r\n");
    ASSERT_TRUE(WaitUntil([&] { return !Boxes.Boxes.empty(); }));
    EXPECT_EQ(Boxes.Texts()[0].rfind("保存接收数据出错，已停止保存：", 0), 0u) << Boxes.Texts()[0];
    EXPECT_FALSE(Form.Capture().Active());
    Pty.Write("678\r\n");
    ASSERT_TRUE(WaitUntil([&] { return Form.Memo1->LineCount() >= 2; }));
    PumpFor(std::chrono::milliseconds(300));
    EXPECT_EQ(Boxes.Boxes.size(), 1u);
    ChoosePaneItem(*Form.Memo1, QStringLiteral("保存接收数据到文件…")); // the caption is back
    Form.ToggleCapture();
}

} // namespace
