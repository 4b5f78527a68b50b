// SPDX-License-Identifier: GPL-3.0-or-later
// Hex send, the choice of ending, and where those choices are kept.
#include "MainFormOnPty.h"
#include "comm/SerialComm.h"
#include "console/ConsoleOptions.h"
#include "console/FloatForm.h"
#include "console/MainForm.h"
#include "console/SendBoxMenu.h"
#include "console/send/SendLogic.h"
#include "settings/ExtensionSettings.h"
#include "settings/PortSettings.h"
#include "tests/support/FileBytes.h"
#include "tests/support/Pty.h"
#include "tests/support/WaitUntil.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace
{

struct THexCase {
    const char *Name;
    const char *Text;
    std::string Bytes;
    std::size_t BadPosition;
};

TEST(SendFormat, HexTextGivesBytesOrTheFirstBadPosition)
{
    const THexCase cases[] = {
        { "pairs with spaces", "01 a0 FF", std::string("\x01\xA0\xFF", 3), 0 },
        { "runs of pairs", "0102\n0a0B,ff", std::string("\x01\x02\x0A\x0B\xFF", 5), 0 },
        { "zero byte", "00 41", std::string("\0A", 2), 0 },
        { "only separators", " ,\r\n", "", 0 },
        { "non-hex digit", "0G", "", 2 },
        { "odd digit count at the end", "01 2", "", 4 },
        { "pair cut by a space", "0 1", "", 1 },
        { "odd run before more", "123 45", "", 3 },
        { "wide character", "41 中", "", 4 },
        { "stray after good pairs", "41 42 z", "", 7 },
    };
    for (const THexCase &c : cases) {
        THexText parsed = ParseHexText(c.Text);
        EXPECT_EQ(parsed.Bytes, c.Bytes) << c.Name;
        EXPECT_EQ(parsed.BadPosition, c.BadPosition) << c.Name;
    }
    EXPECT_EQ(HexErrorText(2), "十六进制格式错误：第 2 个字符");
}

TEST(SendFormat, EachEndingFollowsTheTextAndNoEndingLetsTheTextDecide)
{
    for (TSendEnding ending : SendEndings) {
        std::vector<std::string> requests;
        bool open = true;
        TSendFunction send = [&](const char *data, unsigned count) {
            requests.emplace_back(data, count);
            return open;
        };
        EXPECT_EQ(SendText("AB", send, SendEndingBytes(ending)), TSendResult::Sent);
        std::vector<std::string> expected { "AB" };
        if (!SendEndingBytes(ending).empty())
            expected.emplace_back(SendEndingBytes(ending));
        EXPECT_EQ(requests, expected) << SendEndingCaption(ending);
        open = false;
        EXPECT_EQ(SendText("AB", send, SendEndingBytes(ending)), TSendResult::SendFailed);
    }
    EXPECT_EQ(SendEndingBytes(TSendEnding::Rs), "[RS]");
    EXPECT_EQ(SendEndingBytes(TSendEnding::CrLf), "\r\n");
    EXPECT_EQ(SendEndingBytes(TSendEnding::Lf), "\n");
    EXPECT_EQ(SendEndingFromInteger(7), TSendEnding::Rs);
}

TEST(ConsoleOptions, SavedInTheirOwnSectionLeavingThePortSectionByteForByte)
{
    QTemporaryDir folder;
    const std::string path = folder.filePath("setfile.ini").toStdString();
    SavePortSettings(path,
        { .CommName = "COM3",
            .BaudRate = "115200",
            .ByteSize = "8",
            .Parity = "无",
            .ParityCheck = "否",
            .StopBits = "1" });
    const std::string before = FileBytes(path);

    EXPECT_EQ(LoadConsoleOptions(path), TConsoleOptions {});
    TConsoleOptions chosen { .HexSend = true, .Ending = TSendEnding::Lf };
    ASSERT_TRUE(SaveConsoleOptions(path, {}, chosen));
    EXPECT_EQ(LoadConsoleOptions(path), chosen);

    const std::string after = FileBytes(path);
    EXPECT_EQ(after.substr(0, before.size()), before);
    EXPECT_NE(after.find("[\xC0\xA9\xD5\xB9\xC9\xE8\xD6\xC3]"), std::string::npos) << "section name in GBK";

    // Nothing changed: the file is not rewritten.
    std::string untouched = FileBytes(path);
    ASSERT_TRUE(SaveConsoleOptions(folder.filePath("none.ini").toStdString(), chosen, chosen));
    EXPECT_FALSE(QFile::exists(folder.filePath("none.ini")));
    EXPECT_EQ(FileBytes(path), untouched);
}

// The action of a menu (or of its submenus) with the given caption.
QAction *FindAction(QMenu *menu, const QString &caption)
{
    for (QAction *action : menu->actions()) {
        if (action->text() == caption)
            return action;
        if (action->menu())
            if (QAction *inner = FindAction(action->menu(), caption))
                return inner;
    }
    return nullptr;
}

TEST(SendBoxMenu, EditItemsThenHexSendAndTheEndingsWithTheCurrentOneChecked)
{
    QPlainTextEdit box;
    std::optional<TConsoleOptions> changed;
    QMenu *menu = BuildSendBoxMenu(
        &box, { .Ending = TSendEnding::CrLf }, [&](const TConsoleOptions &options) { changed = options; });
    QList<QAction *> items = menu->actions();
    ASSERT_GE(items.size(), 3);
    EXPECT_TRUE(items[items.size() - 3]->isSeparator());
    EXPECT_EQ(items[items.size() - 2]->text(), QStringLiteral("十六进制发送"));
    EXPECT_FALSE(items[items.size() - 2]->isChecked());
    ASSERT_TRUE(items.back()->menu());
    EXPECT_EQ(items.back()->text(), QStringLiteral("发送结尾"));
    QStringList endings;
    for (QAction *ending : items.back()->menu()->actions())
        endings << ending->text() + (ending->isChecked() ? "*" : "");
    EXPECT_EQ(endings,
        QStringList({ QStringLiteral("[RS]"), QStringLiteral("回车换行 (CR LF)*"), QStringLiteral("换行 (LF)"),
            QStringLiteral("无") }));
    EXPECT_NE(menu->findChild<QAction *>(QStringLiteral("select-all")), nullptr) << "the box's own edit items first";

    items[items.size() - 2]->trigger();
    ASSERT_TRUE(changed);
    EXPECT_EQ(*changed, (TConsoleOptions { .HexSend = true, .Ending = TSendEnding::CrLf }));
    FindAction(menu, QStringLiteral("无"))->trigger();
    EXPECT_EQ(*changed, (TConsoleOptions { .HexSend = false, .Ending = TSendEnding::None }));
    delete menu;
}

class SendExtrasOnPty : public MainFormOnPty
{
};

TEST_F(SendExtrasOnPty, HexSendPutsThePairsOnTheLineAndABadTextSendsNothing)
{
    Form.SetOptions({ .HexSend = true });
    Form.Memo2->setPlainText(QStringLiteral("01 a0 FF"));
    Form.Button7->click();
    EXPECT_EQ(Pty.Read(8, std::chrono::milliseconds(300)), "\x01\xA0\xFF") << "no text trailer on a binary frame";

    Form.Memo2->setPlainText(QStringLiteral("0G"));
    Form.Button7->click();
    Form.Button8->click();
    Form.Button9->click();
    EXPECT_EQ(Boxes.Texts(), std::vector<std::string>(3, "十六进制格式错误：第 2 个字符"));
    EXPECT_EQ(Form.Button9->text(), QStringLiteral("定时发送")) << "the timed send did not start";
    EXPECT_EQ(Pty.Read(1, std::chrono::milliseconds(200)), "");

    // The floating window's send box goes through the same rule.
    Floating.Memo2->setPlainText(QStringLiteral("41,42"));
    Floating.Button7->click();
    EXPECT_EQ(Pty.Read(3, std::chrono::milliseconds(300)), "AB");
}

TEST_F(SendExtrasOnPty, EachEndingOnTheWireAndTheChoicesBackAfterARestart)
{
    const std::pair<TSendEnding, std::string> wire[] = {
        { TSendEnding::CrLf, "AB\r\n" },
        { TSendEnding::Lf, "AB\n" },
        { TSendEnding::None, "AB" },
        { TSendEnding::Rs, "AB[RS]" },
    };
    Form.Memo2->setPlainText(QStringLiteral("AB"));
    for (const auto &[ending, bytes] : wire) {
        Form.SetOptions({ .Ending = ending });
        Form.Button7->click();
        EXPECT_EQ(Pty.Read(bytes.size() + 1, std::chrono::milliseconds(300)), bytes) << SendEndingCaption(ending);
    }
    EXPECT_TRUE(Boxes.Boxes.empty());

    Form.SetOptions({ .HexSend = true, .Ending = TSendEnding::CrLf });
    TMainForm restarted;
    restarted.LoadOptions(Folder.filePath("setfile.ini").toStdString());
    EXPECT_EQ(restarted.Options(), (TConsoleOptions { .HexSend = true, .Ending = TSendEnding::CrLf }));
}

// The ending checked in the send box's menu as the window would open it now.
QString CheckedEnding(TMainForm &form)
{
    QPlainTextEdit box;
    std::unique_ptr<QMenu> menu(BuildSendBoxMenu(&box, form.Options(), [](const TConsoleOptions &) {}));
    for (QAction *ending : FindAction(menu.get(), QStringLiteral("无"))->actionGroup()->actions())
        if (ending->isChecked())
            return ending->text();
    return {};
}

TEST_F(SendExtrasOnPty, HexAndTextSendsEachKeepTheirOwnEnding)
{
    // Each step picks a menu item as the user would, in the menu of the mode then in use.
    struct TStep {
        const char *Item;
        const char *Box;
        const char *Checked;
        std::string Wire;
    };
    const TStep steps[] = {
        { "十六进制发送", "41 42", "无", "AB" },
        { "回车换行 (CR LF)", "41 42", "回车换行 (CR LF)", "AB\r\n" },
        { "十六进制发送", "AB", "[RS]", "AB[RS]" },
        { "换行 (LF)", "AB", "换行 (LF)", "AB\n" },
        { "十六进制发送", "41", "回车换行 (CR LF)", "A\r\n" },
    };
    for (const TStep &step : steps) {
        QPlainTextEdit box;
        std::unique_ptr<QMenu> menu(BuildSendBoxMenu(
            &box, Form.Options(), [this](const TConsoleOptions &options) { Form.SetOptions(options); }));
        FindAction(menu.get(), QString::fromUtf8(step.Item))->trigger();
        EXPECT_EQ(CheckedEnding(Form), QString::fromUtf8(step.Checked)) << step.Item;
        Form.Memo2->setPlainText(QString::fromUtf8(step.Box));
        Form.Button7->click();
        EXPECT_EQ(Pty.Read(step.Wire.size() + 1, std::chrono::milliseconds(300)), step.Wire) << step.Item;
    }
    EXPECT_TRUE(Boxes.Boxes.empty());

    TMainForm restarted;
    restarted.LoadOptions(Folder.filePath("setfile.ini").toStdString());
    EXPECT_EQ(restarted.Options(),
        (TConsoleOptions { .HexSend = true, .Ending = TSendEnding::Lf, .HexEnding = TSendEnding::CrLf }));
    EXPECT_EQ(ExtensionSettings::ReadInteger(
                  Folder.filePath("setfile.ini").toStdString(), ExtensionSettings::HexSendEndingKey, -1),
        static_cast<int>(TSendEnding::CrLf));
}

} // namespace
