// SPDX-License-Identifier: GPL-3.0-or-later
// The script window without a port: runaway scripts against the program's memory and the window's thread, stuck
// scripts, the output pane's bounds, the file choices and unsaved text at the end.
#include "console/ScriptForm.h"

#include "MessageBoxRecorder.h"
#include "tests/support/ResidentMemory.h"
#include "tests/support/WaitUntil.h"

#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

namespace
{

using namespace std::chrono_literals;

class ScriptFormTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TScriptFormPort port {
            .Send =
                [this](const char *, unsigned count) {
                    SentBytes += count;
                    return true;
                },
            .IsOpen = [this] { return PortOpen; },
            // A line change costs a system call on a real port.
            .SetDtr =
                [this](bool) {
                    std::this_thread::sleep_for(50us);
                    ++LineChanges;
                },
            .SetRts = [this](bool) { ++LineChanges; },
        };
        Form = std::make_unique<TScriptForm>(std::move(port));
    }

    void Run(const char *source)
    {
        Form->Editor->setPlainText(QString::fromUtf8(source));
        Form->RunButton->click();
    }

    bool OutputHas(const QString &text) const { return Form->Output->toPlainText().contains(text); }

    TMessageBoxRecorder Boxes;
    std::unique_ptr<TScriptForm> Form;
    std::size_t SentBytes = 0;
    std::size_t LineChanges = 0;
    bool PortOpen = true;
};

TEST_F(ScriptFormTest, RunawayLoopsKeepTheProgramsMemoryBounded)
{
    const std::pair<const char *, const char *> cases[] = {
        { "switching a line", "while true do port.dtr(true) port.dtr(false) end" },
        { "sending 10 MB", "local s = ('x'):rep(1e7) while true do port.send(s) end" },
        { "printing a megabyte", "local s = ('x'):rep(1e6) while true do print(s) end" },
        { "printing numbers", "local i = 0 while true do i = i + 1 print(i) end" },
    };
    for (const auto &[name, source] : cases) {
        const std::size_t before = ResidentBytes();
        Run(source);
        PumpFor(2s);
        const std::size_t grown = ResidentBytes() > before ? ResidentBytes() - before : 0;
        Form->StopButton->click();
        if (ResidentMemoryIsMeasurable()) {
            EXPECT_LT(grown, std::size_t(100) << 20) << name;
        }
        EXPECT_TRUE(WaitUntil([&] { return OutputHas(QStringLiteral("—— 已停止 ——")); })) << name;
        Form->Output->clear();
    }
    EXPECT_GT(LineChanges, 0u);
    EXPECT_GT(SentBytes, 0u);
}

TEST_F(ScriptFormTest, TheOutputPaneKeepsTheLastLinesAndCutsALongOne)
{
    const auto started = std::chrono::steady_clock::now();
    Run("print(('x'):rep(1e6))");
    ASSERT_TRUE(WaitUntil([&] { return OutputHas(QStringLiteral("—— 运行结束 ——")); }, 3s));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);
    EXPECT_TRUE(OutputHas(QStringLiteral("xxx…（共 1000000 字节）")));
    for (QTextBlock block = Form->Output->document()->begin(); block.isValid(); block = block.next())
        EXPECT_LT(block.length(), 5000);

    Run("for i = 1, 25000 do print(i) end");
    ASSERT_TRUE(WaitUntil([&] { return OutputHas(QStringLiteral("25000\n—— 运行结束 ——")); }));
    EXPECT_LE(Form->Output->document()->blockCount(), TScriptForm::OutputLineLimit);
}

TEST_F(ScriptFormTest, APrintLoopChangesThePaneInBatchesOfNewTextOnly)
{
    // Each change of the pane's document is one event to the accessibility bus, carrying the characters added.
    std::size_t changes = 0;
    std::size_t added = 0;
    QObject::connect(Form->Output->document(), &QTextDocument::contentsChange, [&](int, int, int charsAdded) {
        ++changes;
        added += static_cast<std::size_t>(charsAdded);
    });
    Run("for i = 1, 20000 do print(i) end");
    ASSERT_TRUE(WaitUntil([&] { return OutputHas(QStringLiteral("20000\n—— 运行结束 ——")); }));
    EXPECT_LT(changes, 2000u) << "one per batch, not one per line";
    EXPECT_LT(added, 500000u) << "the new text only";
}

TEST_F(ScriptFormTest, AScriptThatCannotBeStoppedIsAbandonedAndTheWindowSaysSo)
{
    Run("port.log('in') string.find(('a'):rep(1e5), '.-.-.-.-b')");
    ASSERT_TRUE(WaitUntil([&] { return OutputHas(QStringLiteral("in")); }));
    auto before = std::chrono::steady_clock::now();
    Form->StopButton->click();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 3s);
    EXPECT_TRUE(OutputHas(QStringLiteral("脚本未在 1 秒内停止，已放弃"))) << Form->Output->toPlainText().toStdString();
    EXPECT_FALSE(Form->Running());
    EXPECT_TRUE(Form->RunButton->isEnabled());

    // A new run works, and the window goes promptly while a script hangs.
    Run("print('again')");
    ASSERT_TRUE(WaitUntil([&] { return OutputHas(QStringLiteral("again\n—— 运行结束 ——")); }));
    Run("port.log('stuck') local s = ('a'):rep(2e7) string.find(s, s:sub(1, 1e7) .. 'b', 1, true)");
    ASSERT_TRUE(WaitUntil([&] { return OutputHas(QStringLiteral("stuck")); }));
    before = std::chrono::steady_clock::now();
    Form.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 3s);
}

TEST_F(ScriptFormTest, ChooseFilesOffersAFileToReadAndOneToWrite)
{
    std::vector<TScriptForm::TFileChoice> asked;
    Form->SetFileChooser([&](TScriptForm::TFileChoice choice) {
        asked.push_back(choice);
        return choice == TScriptForm::TFileChoice::ReadFile ? std::string("/tmp/in.txt") : std::string("/tmp/out.txt");
    });
    ASSERT_NE(Form->FilesButton->menu(), nullptr);
    const QList<QAction *> actions = Form->FilesButton->menu()->actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("打开文件…"));
    EXPECT_EQ(actions[1]->text(), QStringLiteral("保存文件…"));
    actions[0]->trigger();
    actions[1]->trigger();
    EXPECT_EQ(asked,
        (std::vector<TScriptForm::TFileChoice> {
            TScriptForm::TFileChoice::ReadFile, TScriptForm::TFileChoice::WriteFile }));
    EXPECT_TRUE(OutputHas(QStringLiteral("脚本可以打开：/tmp/in.txt\n脚本可以打开：/tmp/out.txt")));
}

TEST_F(ScriptFormTest, UnsavedScriptTextIsSavedDroppedOrKeptAsTheUserAnswers)
{
    QTemporaryDir folder;
    const std::string path = folder.filePath(QStringLiteral("a.lua")).toStdString();
    struct Case {
        const char *Name;
        bool Edited;
        int Answer;
        bool MayQuit;
        bool Saved;
    };
    const Case cases[] = {
        { "not edited", false, idCancel, true, false },
        { "dropped", true, idNo, true, false },
        { "kept", true, idCancel, false, false },
        { "saved", true, idYes, true, true },
    };
    for (const Case &c : cases) {
        std::filesystem::remove(path);
        Form->Editor->setPlainText(QStringLiteral("print(1)")); // as a script opened from a file
        if (c.Edited)
            Form->Editor->insertPlainText(QStringLiteral("\nprint(2)")); // as the user types
        Form->SetFileChooser([&](TScriptForm::TFileChoice) { return path; });
        Boxes.Boxes.clear();
        Boxes.Answer = c.Answer;
        EXPECT_EQ(Form->ConfirmDiscard(), c.MayQuit) << c.Name;
        EXPECT_EQ(Boxes.Boxes.size(), c.Edited ? 1u : 0u) << c.Name;
        if (c.Edited) {
            EXPECT_EQ(Boxes.Boxes[0], (TMessageBoxRequest { "脚本已修改，是否保存？", "脚本", mbYesNoCancelQuestion }));
        }
        EXPECT_EQ(std::filesystem::exists(path), c.Saved) << c.Name;
    }
}

} // namespace
