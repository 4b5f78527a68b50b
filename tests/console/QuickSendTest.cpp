// SPDX-License-Identifier: GPL-3.0-or-later
// The quick-send window: its file, its repeats, and its buttons and shortcuts on a pty.
#include "MainFormOnPty.h"
#include "MessageBoxRecorder.h"
#include "console/ScriptForm.h"
#include "console/SendBoxMenu.h"
#include "console/quicksend/QuickSendFile.h"
#include "console/quicksend/QuickSendForm.h"
#include "console/quicksend/QuickSendRepeats.h"
#include "console/quicksend/QuickSendStorage.h"
#include "core/AnsiText.h"
#include "tests/support/FileBytes.h"
#include "tests/support/WaitUntil.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <fstream>
#include <gtest/gtest.h>

namespace
{

void WriteFile(const std::string &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Repeat(const std::string &text, std::size_t times)
{
    std::string repeated;
    for (std::size_t i = 0; i < times; ++i)
        repeated += text;
    return repeated;
}

const std::vector<TQuickSendEntry> SampleEntries = {
    { .Name = "登录 root", .Content = "root", .Ending = TSendEnding::CrLf },
    { .Name = "帧 AA55", .Content = "AA 55 01", .Hex = true, .Ending = TSendEnding::None, .RepeatMs = 250 },
    { .Name = "多行", .Content = " a\\b\nsecond line\r\n", .Ending = TSendEnding::Lf },
    { .Name = "", .Content = "=x=", .Ending = TSendEnding::Rs, .RepeatMs = 86'400'000 },
};

TEST(QuickSendFile, EntriesComeBackAsTheyWereWithTheDocumentedLayout)
{
    const std::string file = FormatQuickSendFile(SampleEntries);
    TQuickSendFileResult read = ParseQuickSendFile(file);
    ASSERT_TRUE(read.Good()) << read.Error;
    EXPECT_EQ(read.Entries, SampleEntries);

    EXPECT_EQ(file.substr(0, file.find("[2]")),
        "[1]\r\nname=登录 root\r\ncontent=root\r\nhex=0\r\nending=crlf\r\nrepeat_ms=0\r\n\r\n");
    EXPECT_NE(file.find("content= a\\\\b\\nsecond line\\r\\n\r\n"), std::string::npos) << "one line per value";
    EXPECT_NE(file.find("[2]\r\nname=帧 AA55\r\ncontent=AA 55 01\r\nhex=1\r\nending=none\r\nrepeat_ms=250\r\n"),
        std::string::npos);
}

TEST(QuickSendFile, HandWrittenFilesInUtf8OrGbkWithDefaultsAndComments)
{
    const std::string utf8 = "\xEF\xBB\xBF; my buttons\n[1]\nname=复位\ncontent=AT+RST\n\n[2]\nname=查询\nhex=1\n"
                             "content=01 03\n";
    TQuickSendFileResult read = ParseQuickSendFile(utf8);
    ASSERT_TRUE(read.Good()) << read.Error;
    ASSERT_EQ(read.Entries.size(), 2u);
    EXPECT_EQ(read.Entries[0], (TQuickSendEntry { .Name = "复位", .Content = "AT+RST" }));
    EXPECT_EQ(read.Entries[1], (TQuickSendEntry { .Name = "查询", .Content = "01 03", .Hex = true }));

    // The same names saved by an editor in the program's own code page.
    TQuickSendFileResult gbk = ParseQuickSendFile(Utf8ToAnsi("[1]\r\nname=复位\r\ncontent=AT+RST\r\n"));
    ASSERT_TRUE(gbk.Good()) << gbk.Error;
    EXPECT_EQ(gbk.Entries[0].Name, "复位");

    EXPECT_TRUE(ParseQuickSendFile("").Good());

    // The longest entry there may be: 256 characters of name (each of three bytes here), 64 KiB of content.
    TQuickSendEntry longest { .Name = Repeat("字", 256), .Content = std::string(65536, 'x') };
    TQuickSendFileResult full = ParseQuickSendFile(FormatQuickSendFile({ longest }));
    ASSERT_TRUE(full.Good()) << full.Error;
    EXPECT_EQ(full.Entries, std::vector<TQuickSendEntry> { longest });
}

TEST(QuickSendFile, ABadFileNamesItsLineAndGivesNoEntries)
{
    std::string tooMany;
    for (int i = 1; i <= 49; ++i)
        tooMany += "[" + std::to_string(i) + "]\nname=x\n";
    const std::pair<std::string, std::string> cases[] = {
        { "[1]\nhex=2\n", "第 2 行：hex 应为 0 或 1" },
        { "[1]\nending=cr\n", "第 2 行：ending 应为 rs、crlf、lf 或 none" },
        { "[1]\nrepeat_ms=-5\n", "第 2 行：repeat_ms 应为 0 到 86400000 之间的整数" },
        { "[1]\nrepeat_ms=1e3\n", "第 2 行：repeat_ms 应为 0 到 86400000 之间的整数" },
        { "[1]\nname=a\n[3]\n", "第 3 行：节名应为 [2]" },
        { "[按钮]\n", "第 1 行：节名应为 [1]" },
        { "name=a\n", "第 1 行：无法识别的行" },
        { "[1]\njust text\n", "第 2 行：无法识别的行" },
        { tooMany, "第 97 行：最多 48 项" },
        // Keys are lower case and spelt as written: another key would be taken for no key at all.
        { "[1]\nname=a\nHex=1\n", "第 3 行：未知的键 Hex（应为 name、content、hex、ending 或 repeat_ms）" },
        { "[1]\nnmae=x\n", "第 2 行：未知的键 nmae（应为 name、content、hex、ending 或 repeat_ms）" },
        { "[1]\n" + Repeat("键", 1000) + "=x\n",
            "第 2 行：未知的键 " + Repeat("键", 10) + "…（应为 name、content、hex、ending 或 repeat_ms）" },
        { "[1]\nname=" + Repeat("字", 257) + "\n", "第 2 行：名称超过 256 个字符" },
        { "[1]\nname=a\ncontent=" + std::string(1 << 20, 'x') + "\n", "第 3 行：内容超过 65536 字节" },
        { "[1]\ncontent=" + Repeat("\\n", 65537) + "\n", "第 2 行：内容超过 65536 字节" },
    };
    for (const auto &[file, error] : cases) {
        TQuickSendFileResult read = ParseQuickSendFile(file);
        EXPECT_EQ(read.Error, error) << file;
        EXPECT_TRUE(read.Entries.empty()) << file;
    }
}

TEST(QuickSendStorage, WrittenWholeAndReadBackAndAMissingFileIsNoEntries)
{
    QTemporaryDir folder;
    const std::string path = folder.filePath("quicksend.ini").toStdString();
    EXPECT_TRUE(LoadQuickSendFile(path).Good());
    EXPECT_TRUE(LoadQuickSendFile(path).Entries.empty());

    ASSERT_EQ(SaveQuickSendFile(path, SampleEntries), "");
    EXPECT_EQ(LoadQuickSendFile(path).Entries, SampleEntries);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList { "quicksend.ini" }) << "no temporary left";

    EXPECT_NE(SaveQuickSendFile(folder.filePath("no/such/folder/quicksend.ini").toStdString(), SampleEntries), "");
}

TEST(QuickSendRepeats, SendsKeepTheirGridAndALateTickSendsOnce)
{
    struct TStep {
        int64_t Now;
        std::vector<std::size_t> Due;
        std::optional<int64_t> Wait;
    };
    TQuickSendRepeats repeats;
    repeats.Start(0, 100, 0);
    repeats.Start(3, 30, 10);
    const TStep steps[] = {
        { 39, {}, 1 },
        { 40, { 3 }, 30 }, // entry 3: 40, 70, 100, ...
        { 101, { 0, 3 }, 29 }, // both a little late: back on their own grids (130, 200)
        { 135, { 3 }, 25 }, // 3 late by 5 ms: due next at 160
        // 0 late by 50 ms: next at 300; 3 missed 190 and 220: sent once, next at 280
        { 250, { 0, 3 }, 30 },
    };
    for (const TStep &step : steps) {
        EXPECT_EQ(repeats.TakeDue(step.Now), step.Due) << step.Now;
        EXPECT_EQ(repeats.MsUntilNext(step.Now), step.Wait) << step.Now;
    }
    repeats.Stop(3);
    EXPECT_EQ(repeats.MsUntilNext(250), 50);
    EXPECT_TRUE(repeats.Running(0));
    repeats.StopAll();
    EXPECT_FALSE(repeats.Any());
    EXPECT_EQ(repeats.MsUntilNext(250), std::nullopt);
}

// The window with a recording port.
class QuickSendFormTest : public ::testing::Test
{
protected:
    std::unique_ptr<TQuickSendForm> MakeForm()
    {
        auto form = std::make_unique<TQuickSendForm>(
            Path,
            [this](const char *data, unsigned count) {
                Sent.emplace_back(data, count);
                return PortOpen;
            },
            [this] { return PortOpen; });
        return form;
    }

    QTemporaryDir Folder;
    std::string Path = Folder.filePath("quicksend.ini").toStdString();
    std::vector<std::string> Sent;
    bool PortOpen = true;
    TMessageBoxRecorder Boxes;
};

TEST_F(QuickSendFormTest, EachEntryIsAButtonThatSendsItAsTheSendButtonWould)
{
    ASSERT_EQ(SaveQuickSendFile(Path, SampleEntries), "");
    auto form = MakeForm();
    ASSERT_EQ(form->SendButtons.size(), 4u);
    EXPECT_EQ(form->SendButtons[0]->text(), QStringLiteral("登录 root"));
    EXPECT_EQ(form->SendButtons[3]->text(), QStringLiteral("4")) << "an entry without a name shows its number";
    EXPECT_EQ(form->SendButtons[1]->toolTip(), QStringLiteral("Ctrl+2"));

    form->SendButtons[0]->click();
    form->SendButtons[2]->click();
    EXPECT_EQ(Sent, (std::vector<std::string> { "root", "\r\n", " a\\b\r\nsecond line\r\n", "\n" }))
        << "text goes as the send box's does: line breaks as CR LF, then the entry's ending";
    EXPECT_TRUE(Boxes.Boxes.empty());

    Sent.clear();
    PortOpen = false;
    form->SendButtons[0]->click();
    EXPECT_EQ(Boxes.Texts(), std::vector<std::string> { "数据发送错误，请检查串口是否打开" });

    // An entry whose hex went bad: the send box's box, nothing sent.
    PortOpen = true;
    Sent.clear();
    form->SetEntries({ { .Name = "bad", .Content = "4G", .Hex = true } });
    form->SendButtons[0]->click();
    EXPECT_TRUE(Sent.empty());
    EXPECT_EQ(Boxes.Texts().back(), "十六进制格式错误：第 2 个字符");
}

TEST_F(QuickSendFormTest, ARepeatingEntryTogglesShowsThatItRunsAndStopsOnItsFirstFailureWithOneBox)
{
    ASSERT_EQ(SaveQuickSendFile(Path,
                  { { .Name = "poll", .Content = "01", .Hex = true, .Ending = TSendEnding::None, .RepeatMs = 15 },
                      { .Name = "ping", .Content = "P", .Ending = TSendEnding::None, .RepeatMs = 15 } }),
        "");
    auto form = MakeForm();
    form->SendButtons[0]->click();
    EXPECT_TRUE(form->Repeating(0));
    EXPECT_TRUE(form->SendButtons[0]->isChecked());
    ASSERT_TRUE(WaitUntil([&] { return Sent.size() >= 3; }));
    form->SendButtons[0]->click();
    EXPECT_FALSE(form->Repeating(0));
    EXPECT_FALSE(form->SendButtons[0]->isChecked());
    const std::size_t count = Sent.size();
    PumpFor(std::chrono::milliseconds(60));
    EXPECT_EQ(Sent.size(), count) << "stopped";
    EXPECT_EQ(Sent.front(), "\x01");

    // Both run; the port refuses: each stops, one box in all.
    form->SendButtons[0]->click();
    form->SendButtons[1]->click();
    PortOpen = false;
    ASSERT_TRUE(WaitUntil([&] { return !form->Repeating(0) && !form->Repeating(1); }));
    PumpFor(std::chrono::milliseconds(60));
    EXPECT_EQ(Boxes.Texts(), std::vector<std::string> { "数据发送错误，请检查串口是否打开" });
    EXPECT_FALSE(form->SendButtons[1]->isChecked());

    // A repeat that could not make its first send does not start.
    form->SendButtons[1]->click();
    EXPECT_FALSE(form->Repeating(1));
}

TEST_F(QuickSendFormTest, ABadFileIsMovedAsideWithABoxAndABadImportChangesNothing)
{
    WriteFile(Path, "[1]\nname=keep me\nhex=yes\n");
    auto form = MakeForm();
    EXPECT_TRUE(form->Entries().empty());
    ASSERT_EQ(Boxes.Texts().size(), 1u);
    EXPECT_NE(Boxes.Texts()[0].find("第 3 行：hex 应为 0 或 1"), std::string::npos) << Boxes.Texts()[0];
    EXPECT_EQ(FileBytes(Path + ".bad"), "[1]\nname=keep me\nhex=yes\n") << "nothing of it lost";

    form->SetEntries(SampleEntries);
    EXPECT_EQ(LoadQuickSendFile(Path).Entries, SampleEntries) << "written at once";

    const std::string bad = Folder.filePath("bad.ini").toStdString();
    WriteFile(bad, "[2]\n");
    form->Import(bad);
    form->Import(Folder.filePath("missing.ini").toStdString());
    EXPECT_EQ(Boxes.Texts().size(), 3u);
    EXPECT_EQ(form->Entries(), SampleEntries);
    EXPECT_EQ(LoadQuickSendFile(Path).Entries, SampleEntries);

    const std::string exported = Folder.filePath("exported.ini").toStdString();
    form->Export(exported);
    EXPECT_EQ(FileBytes(exported), FileBytes(Path));
    form->SetEntries({});
    form->Import(exported);
    EXPECT_EQ(form->Entries(), SampleEntries);
}

TEST_F(QuickSendFormTest, EditsReachTheButtonAndTheFile)
{
    auto form = MakeForm();
    form->AddButton->click();
    ASSERT_EQ(form->SendButtons.size(), 1u);
    form->NameEdit->setText(QStringLiteral("重启"));
    emit form->NameEdit->textEdited(form->NameEdit->text());
    form->ContentEdit->setPlainText(QStringLiteral("reboot"));
    EXPECT_EQ(form->SendButtons[0]->text(), QStringLiteral("重启"));
    form->Save();
    EXPECT_EQ(
        LoadQuickSendFile(Path).Entries, (std::vector<TQuickSendEntry> { { .Name = "重启", .Content = "reboot" } }));
    form->DeleteButton->click();
    EXPECT_TRUE(form->SendButtons.empty());
    form.reset();
    EXPECT_TRUE(LoadQuickSendFile(Path).Entries.empty()) << "written when the window goes";
}

TEST_F(QuickSendFormTest, EditsReachTheFileByThemselvesAndComeBackAtTheNextStart)
{
    auto form = MakeForm();
    form->AddButton->click();
    form->NameEdit->setText(QStringLiteral("复位"));
    emit form->NameEdit->textEdited(form->NameEdit->text());
    form->ContentEdit->setPlainText(QStringLiteral("AT+RST"));
    const std::vector<TQuickSendEntry> first { { .Name = "复位", .Content = "AT+RST" } };
    ASSERT_TRUE(WaitUntil([&] { return LoadQuickSendFile(Path).Entries == first; })) << "written after a short pause";

    // A later edit is written as well, with the window still open.
    form->HexCheck->setChecked(true);
    ASSERT_TRUE(WaitUntil([&] {
        std::vector<TQuickSendEntry> entries = LoadQuickSendFile(Path).Entries;
        return entries.size() == 1 && entries[0].Hex;
    }));

    form.reset();
    auto restarted = MakeForm();
    ASSERT_EQ(restarted->SendButtons.size(), 1u);
    EXPECT_EQ(restarted->SendButtons[0]->text(), QStringLiteral("复位"));
    EXPECT_EQ(restarted->Entries()[0].Content, "AT+RST");
    EXPECT_TRUE(Boxes.Boxes.empty());
}

TEST_F(QuickSendFormTest, AnOverlongEntryIsRefusedWithItsLineAndFullEntriesOpenAtOnce)
{
    const std::string big = "[1]\nname=big\ncontent=" + std::string(1 << 20, 'x') + "\n";
    WriteFile(Path, big);
    auto form = MakeForm();
    EXPECT_TRUE(form->Entries().empty());
    ASSERT_EQ(Boxes.Texts().size(), 1u);
    EXPECT_NE(Boxes.Texts()[0].find("第 3 行：内容超过 65536 字节"), std::string::npos) << Boxes.Texts()[0];
    EXPECT_TRUE(FileBytes(Path + ".bad") == big) << "kept aside whole";
    form.reset();

    // 48 entries as long as they may be, each content one line (the hardest for a text box to lay out).
    const std::vector<TQuickSendEntry> full(
        MaxQuickSendEntries, { .Name = Repeat("名", 256), .Content = std::string(65536, 'x') });
    ASSERT_EQ(SaveQuickSendFile(Path, full), "");
    const auto start = std::chrono::steady_clock::now();
    form = MakeForm();
    form->show();
    QApplication::processEvents();
    const auto elapsed
        = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    RecordProperty("open_ms", static_cast<int>(elapsed.count()));
    EXPECT_EQ(form->Entries(), full);
    // A generous bound that only a fault breaks (it took minutes for one long entry); the time itself is the
    // recorded open_ms.
    EXPECT_LT(elapsed, std::chrono::seconds(10));
    EXPECT_EQ(Boxes.Texts().size(), 1u);
}

TEST_F(QuickSendFormTest, TheEditorKeepsNoEntryTooLongForTheFile)
{
    auto form = MakeForm();
    form->AddButton->click();
    form->NameEdit->setText(QStringLiteral("ok"));
    emit form->NameEdit->textEdited(form->NameEdit->text());
    form->ContentEdit->setPlainText(QStringLiteral("fine"));

    form->ContentEdit->setPlainText(QString(65537, u'x'));
    form->NameEdit->setText(QString(257, u'名'));
    emit form->NameEdit->textEdited(form->NameEdit->text());
    EXPECT_EQ(Boxes.Texts(),
        (std::vector<std::string> { "快捷发送条目的内容超过 65536 字节，此次修改未采用",
            "快捷发送条目的名称超过 256 个字符，此次修改未采用" }));
    EXPECT_EQ(form->Entries(), (std::vector<TQuickSendEntry> { { .Name = "ok", .Content = "fine" } }));
    EXPECT_EQ(form->ContentEdit->toPlainText(), QStringLiteral("fine")) << "the box shows the entry again";
    EXPECT_EQ(form->NameEdit->text(), QStringLiteral("ok"));

    form->ContentEdit->setPlainText(QString(65536, u'x'));
    form->Save();
    TQuickSendFileResult saved = LoadQuickSendFile(Path);
    ASSERT_TRUE(saved.Good()) << saved.Error;
    EXPECT_EQ(saved.Entries[0].Content.size(), 65536u) << "the longest content is taken";
}

TEST_F(QuickSendFormTest, ImportingAFileWithoutEntriesAsksBeforeItRemovesThem)
{
    auto form = MakeForm();
    form->SetEntries(SampleEntries);
    const std::string empty = Folder.filePath("empty.ini").toStdString();
    WriteFile(empty, "; no buttons yet\n");

    Boxes.Answer = idNo;
    form->Import(empty);
    EXPECT_EQ(form->Entries(), SampleEntries);
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0].Flags, mbYesNoQuestion);
    EXPECT_EQ(Boxes.Boxes[0].Text, empty + " 中没有条目，导入将删除现有的 4 个条目。要导入吗？");

    Boxes.Answer = idYes;
    form->Import(empty);
    EXPECT_TRUE(form->Entries().empty());
    EXPECT_TRUE(LoadQuickSendFile(Path).Entries.empty());
    form->Import(empty);
    EXPECT_EQ(Boxes.Boxes.size(), 2u) << "nothing to lose, nothing to ask";
}

// The actions a screen reader or another assistive tool offers for a button: press for a plain one, toggle for a
// repeating one. Each must do what a click does.
TEST_F(QuickSendFormTest, TheAccessibleActionOfAButtonDoesWhatAClickDoes)
{
    ASSERT_EQ(SaveQuickSendFile(Path,
                  { { .Name = "once", .Content = "A", .Ending = TSendEnding::None },
                      { .Name = "poll", .Content = "P", .Ending = TSendEnding::None, .RepeatMs = 15 } }),
        "");
    auto form = MakeForm();
    form->show();
    auto act = [&](std::size_t index) {
        QAccessibleInterface *button = QAccessible::queryAccessibleInterface(form->SendButtons[index]);
        ASSERT_NE(button, nullptr);
        ASSERT_NE(button->actionInterface(), nullptr);
        const QStringList actions = button->actionInterface()->actionNames();
        ASSERT_FALSE(actions.isEmpty());
        button->actionInterface()->doAction(actions.first());
    };

    act(0);
    ASSERT_TRUE(WaitUntil([&] { return !Sent.empty(); }));
    EXPECT_EQ(Sent, std::vector<std::string> { "A" });

    act(1);
    EXPECT_TRUE(form->Repeating(1));
    EXPECT_TRUE(form->SendButtons[1]->isChecked());
    ASSERT_TRUE(WaitUntil([&] { return std::count(Sent.begin(), Sent.end(), "P") >= 3; }));
    act(1);
    EXPECT_FALSE(form->Repeating(1));
    EXPECT_FALSE(form->SendButtons[1]->isChecked());

    // A repeat whose first send fails does not start, and its button does not stay pressed.
    PortOpen = false;
    act(1);
    EXPECT_FALSE(form->Repeating(1));
    EXPECT_FALSE(form->SendButtons[1]->isChecked());
}

TEST_F(QuickSendFormTest, ARefusedWriteGivesOneBoxWhileItLastsAndKeepsTheEntries)
{
    Path = Folder.filePath("gone/quicksend.ini").toStdString();
    auto form = MakeForm();
    form->SetEntries(SampleEntries);
    form->SetEntries({ SampleEntries[0] });
    ASSERT_EQ(Boxes.Texts().size(), 1u);
    EXPECT_EQ(Boxes.Texts()[0].rfind("快捷发送保存出错：", 0), 0u) << Boxes.Texts()[0];
    EXPECT_EQ(form->Entries(), std::vector<TQuickSendEntry> { SampleEntries[0] });

    ASSERT_TRUE(QDir(Folder.path()).mkdir("gone"));
    form->SetEntries(SampleEntries);
    EXPECT_EQ(LoadQuickSendFile(Path).Entries, SampleEntries);
    EXPECT_EQ(Boxes.Texts().size(), 1u);
}

class QuickSendOnPty : public MainFormOnPty
{
protected:
    void BeforeOpening() override
    {
        ASSERT_EQ(SaveQuickSendFile(Folder.filePath("quicksend.ini").toStdString(),
                      { { .Name = "one", .Content = "AT", .Ending = TSendEnding::CrLf },
                          { .Name = "two", .Content = "55 AA", .Hex = true, .Ending = TSendEnding::None },
                          { .Name = "tick", .Content = "T", .Ending = TSendEnding::None, .RepeatMs = 20 } }),
            "");
    }

    // The shortcut of a window that sends the entry at index.
    static QShortcut *Shortcut(QWidget &window, int index)
    {
        for (QShortcut *shortcut : window.findChildren<QShortcut *>())
            if (shortcut->key() == QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_1 + index)))
                return shortcut;
        return nullptr;
    }
};

TEST_F(QuickSendOnPty, ButtonsAndCtrlDigitsOfBothWindowsPutTheEntriesOnTheLine)
{
    Form.QuickSendForm()->SendButtons[0]->click();
    EXPECT_EQ(Pty.Read(5, std::chrono::milliseconds(300)), "AT\r\n");
    for (QWidget *window : { static_cast<QWidget *>(&Form), static_cast<QWidget *>(&Floating) }) {
        QShortcut *shortcut = Shortcut(*window, 1);
        ASSERT_NE(shortcut, nullptr);
        EXPECT_EQ(shortcut->context(), Qt::WindowShortcut);
        emit shortcut->activated();
        EXPECT_EQ(Pty.Read(3, std::chrono::milliseconds(300)), "\x55\xAA");
    }
    EXPECT_NE(Shortcut(Form, 8), nullptr);
    EXPECT_EQ(Shortcut(Form, 9), nullptr) << "nine shortcuts";
    EXPECT_TRUE(Boxes.Boxes.empty());
}

TEST_F(QuickSendOnPty, ClosingThePortStopsARepeatWithNoBoxOfItsOwn)
{
    TQuickSendForm *quick = Form.QuickSendForm();
    quick->SendButtons[2]->click();
    std::string line;
    ASSERT_TRUE(WaitUntil([&] {
        line += Pty.Read(16, std::chrono::milliseconds(0));
        return line.size() >= 3;
    }));
    EXPECT_EQ(line.substr(0, 3), "TTT");
    Form.Button2Click();
    EXPECT_FALSE(quick->Repeating(2));
    EXPECT_FALSE(quick->SendButtons[2]->isChecked());
    PumpFor(std::chrono::milliseconds(60));
    EXPECT_EQ(Boxes.Texts(), std::vector<std::string> { "串口关闭成功" });
}

TEST_F(QuickSendOnPty, TheSendBoxMenusOfBothWindowsOpenTheAutomationWindows)
{
    for (QPlainTextEdit *box : { Form.Memo2, Floating.Memo2 }) {
        Form.ShowSendBoxMenu(box, {});
        QMenu *menu = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())); }));
        QStringList last;
        for (QAction *action : menu->actions().mid(menu->actions().size() - 6))
            last << action->text();
        EXPECT_EQ(last,
            QStringList({ QString(), QStringLiteral("快捷发送…"), QStringLiteral("脚本…"), QString(),
                QStringLiteral("十六进制发送"), QStringLiteral("发送结尾") }));
        menu->actions()[menu->actions().size() - 4]->trigger();
        menu->close();
        ASSERT_TRUE(WaitUntil([&] { return Form.ScriptForm()->isVisible(); }));
        Form.ScriptForm()->hide();
    }
}

} // namespace
