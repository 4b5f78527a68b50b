// SPDX-License-Identifier: GPL-3.0-or-later
// What the main window says when the device pauses a send with XOFF, and when it vanishes during a timed send.
#include "MainFormOnPty.h"
#include "console/port/PortControl.h"
#include "console/receive/ReceivePane.h"
#include "console/send/SendLogic.h"
#include "tests/support/WaitUntil.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <thread>
#include <vector>

namespace
{

using namespace std::chrono_literals;

class PortTroubleOnPty : public MainFormOnPty
{
protected:
    void BeforeOpening() override
    {
        Form.Comm1->SetSendHeldNoticeAfter(200ms);
        QObject::connect(&Form, &TMainForm::Notify, [this](const QString &text) { Notes.push_back(text); });
    }

    QString PortNameShown()
    {
        Form.Button12Click();
        return Form.Label7->toolTip(); // the whole text; the label may elide it
    }

    std::vector<QString> Notes;
};

TEST_F(PortTroubleOnPty, ASendPausedByXoffIsToldOnceAndTheNameComesBackOnXon)
{
    ApplyFlowControl(*Form.Comm1, TFlowControl::XonXoff);
    // The marker arrives only after the line has taken the XOFF before it.
    Pty.Write("\x13M");
    ASSERT_TRUE(WaitUntil([&] { return Form.Memo1->PlainText().contains('M'); }));

    Form.Memo2->setPlainText("ABC");
    Form.Button7Click();
    ASSERT_TRUE(WaitUntil([&] { return !Notes.empty(); }));
    EXPECT_EQ(Notes, std::vector<QString> { QStringLiteral("发送被设备暂停（XOFF）") });
    EXPECT_EQ(PortNameShown(), QStringLiteral("发送被设备暂停（XOFF）"));
    EXPECT_EQ(Pty.Read(7, 0ms), "") << "nothing went out while paused";

    Pty.Write("\x11");
    EXPECT_EQ(Pty.Read(7), "ABC[RS]");
    EXPECT_TRUE(WaitUntil([&] { return PortNameShown() == QString::fromStdString(Pty.SlavePath); }));
    EXPECT_EQ(Notes.size(), 1u);
    EXPECT_TRUE(Boxes.Boxes.empty());
}

TEST_F(PortTroubleOnPty, ADeviceLostDuringATimedSendGivesOneBox)
{
    Form.Memo2->setPlainText("T");
    Form.Button9Click();
    ASSERT_EQ(Form.Button9->text(), QString::fromUtf8(StopSendCaption));
    Form.Timer2->start(10);
    std::string sent;
    ASSERT_TRUE(WaitUntil([&] { return (sent += Pty.Read(5, 0ms)).size() >= 5; }));
    ASSERT_EQ(sent.substr(0, 5), "T[RS]");

    Pty.CloseMaster();
    ASSERT_TRUE(WaitUntil([&] { return !Form.Comm1->IsOpen() && !Form.Timer2->isActive(); }));
    PumpFor(100ms);
    EXPECT_EQ(Boxes.Texts(), std::vector<std::string> { "串口已断开" });
    EXPECT_EQ(Form.Button9->text(), QString::fromUtf8(TimedSendCaption));
}

TEST_F(PortTroubleOnPty, ATickRefusedBeforeTheHangupArrivesLeavesTheOneBoxToTheHangup)
{
    Form.Memo2->setPlainText("T");
    Form.Button9Click();
    Form.Timer2->start(60000);
    Pty.CloseMaster();
    // The send thread meets the vanished device and ends; its hang-up request waits undispatched meanwhile.
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (Form.Comm1->SendData("x", 1) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(5ms);
    ASSERT_TRUE(Form.Comm1->IsOpen());

    Form.Timer2Timer();
    EXPECT_TRUE(Boxes.Boxes.empty());
    EXPECT_FALSE(Form.Timer2->isActive());
    ASSERT_TRUE(WaitUntil([&] { return !Form.Comm1->IsOpen(); }));
    EXPECT_EQ(Boxes.Texts(), std::vector<std::string> { "串口已断开" });
    EXPECT_EQ(Form.Button9->text(), QString::fromUtf8(TimedSendCaption));
}

} // namespace
