// SPDX-License-Identifier: GPL-3.0-or-later
// The script window on a pty: each port call on the line, received data for the script and the panes alike, and
// the ways a script ends.
#include "MainFormOnPty.h"
#include "console/ScriptForm.h"
#include "console/receive/ReceivePane.h"
#include "tests/support/WaitUntil.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <chrono>
#include <gtest/gtest.h>

namespace
{

using namespace std::chrono_literals;

class ScriptOnPty : public MainFormOnPty
{
protected:
    void SetUp() override
    {
        MainFormOnPty::SetUp();
        Script = Form.ScriptForm();
    }

    void Run(const char *source)
    {
        Script->Editor->setPlainText(QString::fromUtf8(source));
        Script->RunButton->click();
    }

    bool OutputHas(const QString &text) const { return Script->Output->toPlainText().contains(text); }

    // Reads what the script sends until there are at least count bytes, keeping the event loop running.
    std::string ReadLine(std::size_t count)
    {
        std::string line;
        WaitUntil([&] {
            line += Pty.Read(count, 0ms);
            return line.size() >= count;
        });
        return line;
    }

    TScriptForm *Script = nullptr;
};

TEST_F(ScriptOnPty, EachPortCallOnTheLineWithAPromptSplitAcrossReads)
{
    Run(R"(
        port.send("hello\r\n")
        port.sendhex("AA 55")
        port.log("value " .. tostring(port.expect("val=(%d+);", 3000)))
        port.log("timeout " .. tostring(port.expect("never", 100)))
        port.log("rest " .. port.read(3000))
        port.log("later " .. port.read(3000))
        port.log("none " .. tostring(port.read(50)))
        port.sleep(30)
        port.send("done")
    )");
    EXPECT_EQ(ReadLine(9), "hello\r\n\xAA\x55");
    Pty.Write("va");
    PumpFor(150ms); // past the read interval: the prompt arrives in three reads
    Pty.Write("l=4");
    PumpFor(150ms); // past the read interval: the prompt arrives in three reads
    Pty.Write("2;!");
    ASSERT_TRUE(WaitUntil([&] { return OutputHas("rest !"); })) << Script->Output->toPlainText().toStdString();
    Pty.Write("xyz");
    EXPECT_EQ(ReadLine(4), "done");
    ASSERT_TRUE(WaitUntil([&] { return OutputHas("—— 运行结束 ——"); }));
    EXPECT_TRUE(OutputHas("value 42\ntimeout nil\nrest !\nlater xyz\nnone nil\n"))
        << Script->Output->toPlainText().toStdString();
    EXPECT_TRUE(Script->RunButton->isEnabled());
    EXPECT_FALSE(Script->StopButton->isEnabled());

    // What the script read reached the pane as well.
    ASSERT_TRUE(WaitUntil([&] { return Form.Memo1->PlainText().contains(QStringLiteral("val=42;!xyz")); }));
    EXPECT_TRUE(Boxes.Boxes.empty());
}

TEST_F(ScriptOnPty, ASendingLoopPutsEveryByteOnTheLineInOrder)
{
    // Far more sends than may wait for the window at once: the script waits for the port instead of flooding.
    Run("for i = 1, 5000 do port.send(i .. ',') end");
    std::string expected;
    for (int i = 1; i <= 5000; ++i)
        expected += std::to_string(i) + ",";
    EXPECT_EQ(ReadLine(expected.size()), expected);
    ASSERT_TRUE(WaitUntil([&] { return OutputHas("—— 运行结束 ——"); }));
}

TEST_F(ScriptOnPty, DtrAndRtsSetTheLinesOfThePort)
{
    Run("port.dtr(false) port.rts(false)");
    ASSERT_TRUE(WaitUntil([&] { return OutputHas("—— 运行结束 ——"); }));
    ASSERT_TRUE(WaitUntil([&] { return Form.Comm1->RtsControl() == TRtsControl::RtsDisable; }));
    EXPECT_EQ(Form.Comm1->DtrControl(), TDtrControl::DtrDisable);
    Run("port.dtr(true) port.rts(true)");
    ASSERT_TRUE(WaitUntil([&] { return Form.Comm1->RtsControl() == TRtsControl::RtsEnable; }));
    EXPECT_EQ(Form.Comm1->DtrControl(), TDtrControl::DtrEnable);
}

TEST_F(ScriptOnPty, StopEndsAnEndlessLoopAndAWaitingExpectWithin100Ms)
{
    for (const char *source : { "port.log('in') while true do end", "port.log('in') port.expect('never', 60000)" }) {
        Script->Output->clear();
        Run(source);
        ASSERT_TRUE(WaitUntil([&] { return OutputHas("in"); }));
        const auto before = std::chrono::steady_clock::now();
        Script->StopButton->click();
        const auto took = std::chrono::steady_clock::now() - before;
        EXPECT_LT(took, 100ms) << source;
        EXPECT_FALSE(Script->Running());
        ASSERT_TRUE(WaitUntil([&] { return OutputHas("—— 已停止 ——"); })) << source;
    }
}

TEST_F(ScriptOnPty, ClosingThePortStopsTheScriptAndASendOnAClosedPortFailsToTheScript)
{
    Run("port.log('in') while true do end");
    ASSERT_TRUE(WaitUntil([&] { return OutputHas("in"); }));
    Form.Button2Click();
    EXPECT_FALSE(Script->Running());
    ASSERT_TRUE(WaitUntil([&] { return OutputHas("串口已关闭"); }));

    // With the port closed, a send gives the script false and the reason, and the script goes on; no box.
    Script->Output->clear();
    Run("print(port.send('x'))\nprint(port.sendhex('41'))");
    ASSERT_TRUE(WaitUntil([&] { return OutputHas("—— 运行结束 ——"); }));
    EXPECT_TRUE(OutputHas(QStringLiteral("false\t串口未打开\nfalse\t串口未打开")))
        << Script->Output->toPlainText().toStdString();
    EXPECT_EQ(Boxes.Texts(), std::vector<std::string> { "串口关闭成功" });
}

TEST_F(ScriptOnPty, ARuntimeErrorShowsItsMessageAndLine)
{
    Run("port.log('one')\nlocal reply = nil\nport.send(reply .. '\\r')");
    ASSERT_TRUE(WaitUntil([&] { return OutputHas(QStringLiteral("错误：")); }));
    EXPECT_TRUE(OutputHas(QStringLiteral("错误：脚本:3: attempt to concatenate a nil value (local 'reply')")))
        << Script->Output->toPlainText().toStdString();
}

} // namespace
