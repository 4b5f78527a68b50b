// SPDX-License-Identifier: GPL-3.0-or-later
// The hex and timestamped views of the received data: the chunks the log keeps, the lines each view shows, the
// receive panes' context menu, and saving what a pane shows.
#include "console/receive/ReceiveView.h"

#include "MainFormOnPty.h"
#include "comm/SerialComm.h"
#include "console/ConsoleOptions.h"
#include "console/FloatForm.h"
#include "console/MainForm.h"
#include "console/receive/ReceiveLog.h"
#include "console/receive/ReceivePane.h"
#include "console/receive/ReceiveSave.h"
#include "tests/support/FileBytes.h"
#include "tests/support/Pty.h"
#include "tests/support/WaitUntil.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QElapsedTimer>
#include <QMenu>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace
{

// A local time of day, in milliseconds since the epoch.
int64_t At(int hour, int minute, int second, int ms)
{
    return QDateTime(QDate(2026, 3, 4), QTime(hour, minute, second, ms)).toMSecsSinceEpoch();
}

TEST(ReceiveView, HexPairsAndTimestampPrefix)
{
    EXPECT_EQ(HexPairs(std::string("AB\r\n", 4)), "41 42 0D 0A");
    EXPECT_EQ(HexPairs(std::string("\0\xFF", 2)), "00 FF");
    EXPECT_EQ(HexPairs(""), "");
    EXPECT_EQ(TimestampPrefix(At(9, 5, 7, 42)), "[09:05:07.042] ");
}

TEST(ReceiveLogChunks, EachChunkKeptWholeAndDatedOnceWhileTheTextStopsAtItsFirstZeroByte)
{
    auto log = std::make_shared<TReceiveLog>(64);
    int clockCalls = 0;
    int64_t now = At(12, 0, 0, 0);
    log->SetClock([&] {
        ++clockCalls;
        return now;
    });
    TReceiveText pane(log);
    log->AppendChunk(std::string("AB\r\n", 4));
    now += 1000;
    log->AppendChunk(std::string("1\0002\r\n", 5));
    EXPECT_EQ(clockCalls, 2);
    EXPECT_EQ(pane.Bytes(), "AB\r\n1");
    EXPECT_EQ(log->EndChunk(), 2u);
    EXPECT_EQ(log->ChunkBytes(0), "AB\r\n");
    EXPECT_EQ(log->ChunkBytes(1), std::string("1\0002\r\n", 5));
    EXPECT_EQ(log->ChunkArrival(1) - log->ChunkArrival(0), 1000);
    EXPECT_EQ(log->FirstChunkFrom(0), 0u);
    EXPECT_EQ(log->FirstChunkFrom(1), 1u);
    EXPECT_EQ(log->FirstChunkFrom(5), 2u) << "the end";

    // Clearing the only reader releases the chunks with their bytes.
    for (int i = 0; i < 50; ++i)
        log->AppendChunk(std::string(39, 'x') + "\n");
    pane.Clear();
    EXPECT_EQ(log->BeginChunk(), log->EndChunk());
    log->AppendChunk(std::string("\0z", 2));
    EXPECT_EQ(log->ChunkBytes(log->EndChunk() - 1), std::string("\0z", 2));
}

struct TViewCase {
    const char *Name;
    TReceiveView View;
    QStringList Lines;
    std::string Saved;
};

TEST(ReceiveDocumentViews, EachViewShowsAndSavesItsLines)
{
    auto log = std::make_shared<TReceiveLog>();
    int64_t now = At(8, 30, 0, 5);
    log->SetClock([&] { return now; });
    TReceiveDocument document(log);
    log->AppendChunk(std::string("AB\r\n", 4));
    now += 1000;
    log->AppendChunk(std::string("\xD6\xD0\0C", 4));

    const TViewCase cases[] = {
        { "text", {}, { "AB", QStringLiteral("中") }, "AB\r\n\xD6\xD0" },
        { "hex", { .Hex = true }, { "41 42 0D 0A", "D6 D0 00 43" }, "41 42 0D 0A\r\nD6 D0 00 43\r\n" },
        { "text with timestamps", { .Timestamps = true }, { "[08:30:00.005] AB", QStringLiteral("[08:30:01.005] 中") },
            "[08:30:00.005] AB\r\n[08:30:01.005] \xD6\xD0\r\n" },
        { "hex with timestamps", { .Hex = true, .Timestamps = true },
            { "[08:30:00.005] 41 42 0D 0A", "[08:30:01.005] D6 D0 00 43" },
            "[08:30:00.005] 41 42 0D 0A\r\n[08:30:01.005] D6 D0 00 43\r\n" },
    };
    QTemporaryDir folder;
    const std::string path = folder.filePath("saved.txt").toStdString();
    for (const TViewCase &c : cases) {
        document.SetView(c.View);
        QStringList lines;
        for (uint64_t i = 0; i < document.LineCount(); ++i)
            lines << document.LineText(i);
        EXPECT_EQ(lines, c.Lines) << c.Name;
        EXPECT_EQ(document.AccessibleText(), c.Lines.join(u'\n')) << c.Name;
        ASSERT_TRUE(WriteReceivedText(document, path));
        EXPECT_EQ(FileBytes(path), c.Saved) << c.Name;
    }
    // Back to text: nothing lost.
    document.SetView({});
    EXPECT_EQ(document.Text().Bytes(), "AB\r\n\xD6\xD0");
}

// Opens a pane's context menu and returns its items' captions (with a check mark as "*"), triggering the item with
// the caption `choose` if given.
QStringList PaneMenu(TReceivePane &pane, const QString &choose = {})
{
    QStringList captions;
    QTimer::singleShot(0, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        QAction *chosen = nullptr;
        for (QAction *action : menu->actions()) {
            captions << (action->isSeparator()
                    ? QStringLiteral("-")
                    : action->text() + (action->isChecked() ? "*" : "") + (action->isEnabled() ? "" : " (off)"));
            if (action->text() == choose)
                chosen = action;
        }
        menu->close();
        if (chosen)
            chosen->trigger();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), pane.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(pane.viewport(), &event);
    return captions;
}

class ReceiveViewOnPty : public MainFormOnPty
{
protected:
    void BeforeOpening() override
    {
        Form.Memo1->resize(600, 140);
        Form.Memo1->Log()->SetClock([this] { return Now; });
    }

    bool ReceiveChunk(const std::string &bytes)
    {
        uint64_t before = Form.Memo1->Log()->EndChunk();
        Pty.Write(bytes);
        QElapsedTimer limit;
        limit.start();
        while (Form.Memo1->Log()->EndChunk() == before && limit.elapsed() < 5000)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        return Form.Memo1->Log()->EndChunk() == before + 1;
    }

    // Half a second past the full second: a chunk is dated by when its bytes left the kernel, a little before it is
    // handled, so its stamp falls in the same second.
    int64_t Now = At(10, 0, 0, 500);
};

// The text with its stamps to the second.
QString ToTheSecond(QString text)
{
    static const QRegularExpression stamp(QStringLiteral(R"(\[(\d\d:\d\d:\d\d)\.\d{3}\])"));
    return text.replace(stamp, QStringLiteral("[\\1]"));
}

QStringList ToTheSecond(QStringList lines)
{
    for (QString &line : lines)
        line = ToTheSecond(line);
    return lines;
}

TEST_F(ReceiveViewOnPty, MenuSwitchesBothPanesToHexAndTimestampsAndTheChoicesAreKept)
{
    ASSERT_TRUE(ReceiveChunk("AB\r\n"));
    Now += 1000;
    ASSERT_TRUE(ReceiveChunk(std::string("1\0002", 3)));
    EXPECT_EQ(Form.Memo1->PlainText(), QStringLiteral("AB\n1"));

    EXPECT_EQ(PaneMenu(*Form.Memo1),
        QStringList({ QStringLiteral("复制 (off)"), QStringLiteral("全选"), "-", QStringLiteral("自动重连"),
            QStringLiteral("十六进制显示"), QStringLiteral("显示时间戳"), QStringLiteral("每次接收另起一行"),
            QStringLiteral("保存接收数据到文件…") }));
    PaneMenu(*Form.Memo1, QStringLiteral("十六进制显示"));
    EXPECT_EQ(Form.Memo1->PlainText(), QStringLiteral("41 42 0D 0A\n31 00 32"));
    EXPECT_EQ(Floating.Memo1->View(), (TReceiveView { .Hex = true })) << "every pane shows the same view";

    PaneMenu(*Floating.Memo1, QStringLiteral("显示时间戳"));
    EXPECT_EQ(ToTheSecond(Form.Memo1->PlainText()), QStringLiteral("[10:00:00] 41 42 0D 0A\n[10:00:01] 31 00 32"));
    EXPECT_EQ(PaneMenu(*Form.Memo1).mid(4, 2),
        QStringList({ QStringLiteral("十六进制显示*"), QStringLiteral("显示时间戳*") }));
    EXPECT_EQ(ToTheSecond(Form.Memo1->DisplayedLines()),
        QStringList({ QStringLiteral("[10:00:00] 41 42 0D 0A"), QStringLiteral("[10:00:01] 31 00 32") }))
        << "print takes what the pane shows";

    PaneMenu(*Form.Memo1, QStringLiteral("十六进制显示"));
    EXPECT_EQ(ToTheSecond(Form.Memo1->PlainText()), QStringLiteral("[10:00:00] AB\n[10:00:01] 1"));

    TMainForm restarted;
    restarted.LoadOptions(Folder.filePath("setfile.ini").toStdString());
    EXPECT_EQ(restarted.Options().View, (TReceiveView { .Timestamps = true }));
    EXPECT_EQ(restarted.Memo1->View(), (TReceiveView { .Timestamps = true }));
    EXPECT_TRUE(Boxes.Boxes.empty());
}

} // namespace
