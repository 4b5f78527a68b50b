// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/FloatForm.h"

#include "console/DataPanelHost.h"
#include "console/receive/ReceiveLog.h"
#include "console/receive/ReceivePane.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace
{

// The main window as the floating window sees it: records each call, with the send box text at the time.
struct TRecordingHost : TDataPanelHost {
    std::vector<std::string> Calls;
    QString SendText = QStringLiteral("main text");
    TReceivePane *MainPane = nullptr;

    void Record(const char *call) { Calls.push_back(std::string(call) + ":" + SendText.toStdString()); }
    void Button4Click() override { Record("save"); }
    void Button5Click() override { Record("print"); }
    void Button6Click() override
    {
        Record("clear");
        if (MainPane)
            MainPane->Clear();
    }
    void Button7Click() override { Record("send"); }
    void Button8Click() override { Record("send+save"); }
    void Button9Click() override { Record("timed"); }
    void Button10Click() override { Record("history"); }
    void SetSendText(const QString &text) override { SendText = text; }
    void EnableDataPanel() override { Record("enable"); }
    void ShowSendBoxMenu(QPlainTextEdit *, const QPoint &) override { Record("menu"); }
};

class FloatFormTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Form.SetHost(&Host);
        Host.MainPane = &MainPane;
        MainPane.SetLog(Log);
        Form.Memo1->SetLog(Log);
    }

    std::shared_ptr<TReceiveLog> Log = std::make_shared<TReceiveLog>();
    TReceivePane MainPane;
    TRecordingHost Host;
    TForm7 Form;
};

TEST_F(FloatFormTest, SendButtonsCopyTheirTextFirstEvenWhenEmpty)
{
    Form.Memo2->setPlainText(QStringLiteral("ABC"));
    Form.Button7->click();
    Form.Button8->click();
    Form.Memo2->clear();
    Form.Button9->click();
    EXPECT_EQ(Host.Calls, (std::vector<std::string> { "send:ABC", "send+save:ABC", "timed:" }));
    EXPECT_EQ(Form.Button9->text(), QStringLiteral("定时发送"));
}

TEST_F(FloatFormTest, SavePrintAndHistoryAreTheMainWindowsOwn)
{
    Form.Button4->click();
    Form.Button5->click();
    Form.Button10->click();
    EXPECT_EQ(Host.Calls, (std::vector<std::string> { "save:main text", "print:main text", "history:main text" }));
}

TEST_F(FloatFormTest, ClearEmptiesBothPanesButTheMainClearOnlyItsOwn)
{
    Log->AppendChunk("one\n");
    Host.Button6Click();
    EXPECT_EQ(MainPane.LineCount(), 0u);
    EXPECT_EQ(Form.Memo1->PlainText(), QStringLiteral("one"));

    Log->AppendChunk("two\n");
    Form.Button6->click();
    EXPECT_EQ(MainPane.LineCount(), 0u);
    EXPECT_EQ(Form.Memo1->LineCount(), 0u);
    Log->AppendChunk("three\n"); // received text keeps arriving, shown or not
    EXPECT_FALSE(Form.isVisible());
    EXPECT_EQ(Form.Memo1->PlainText(), QStringLiteral("three"));
}

TEST_F(FloatFormTest, StaysOnTopWithoutTitleButtonsAndLeavesThroughItsOwnButton)
{
    EXPECT_EQ(Form.windowTitle(), QStringLiteral("接收/发送数据 【悬浮窗体】"));
    EXPECT_TRUE(Form.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(Form.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(Form.windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_EQ(Form.size(), QSize(772, 406));

    Form.show();
    Form.BitBtn1->click();
    EXPECT_FALSE(Form.isVisible());
    Form.show();
    Form.close(); // closed by the window system: leaves the same way
    EXPECT_FALSE(Form.isVisible());
    EXPECT_EQ(Host.Calls, (std::vector<std::string> { "enable:main text", "enable:main text" }));
}

} // namespace
