// SPDX-License-Identifier: GPL-3.0-or-later
// The main window on a pty where lines meet an opening of the port or a clearing of a pane: the port closed in the
// middle of a line and opened again, a pane cleared while a prompt waits on an open line.
#include "MainFormOnPty.h"
#include "chart/Plot.h"
#include "chart/PlotChannel.h"
#include "console/receive/ReceivePane.h"
#include "tests/support/WaitUntil.h"

#include <QPushButton>
#include <QStringList>
#include <vector>

namespace
{

class OpeningOnPty : public MainFormOnPty
{
protected:
    std::vector<double> Plotted() const
    {
        std::vector<double> values;
        const TPlotChannel &channel = *Form.Plot1->Channel(0);
        for (int i = 0; i < channel.Count(); ++i)
            values.push_back(channel.Y(i));
        return values;
    }

    static QStringList Lines(const TReceivePane &pane)
    {
        QStringList lines;
        for (uint64_t i = 0; i < pane.LineCount(); ++i)
            lines << pane.LineText(i);
        return lines;
    }
};

TEST_F(OpeningOnPty, APortOpenedAgainStartsANewLineInBothPanesAndOnTheChart)
{
    // The line break first: what comes before it after an opening is never plotted.
    Pty.Write("\n100\r\n12");
    ASSERT_TRUE(WaitUntil([&] { return Form.Memo1->PlainText().endsWith("12") && Plotted().size() == 1; }));
    Form.Comm1->ClosePort();
    Form.Comm1->OpenPort();
    ASSERT_TRUE(Form.Comm1->IsOpen());
    Pty.Write("5\r\n7\r\n");
    ASSERT_TRUE(WaitUntil([&] { return Plotted().size() >= 2 && Form.Memo1->LineCount() >= 5; }));
    EXPECT_EQ(Plotted(), (std::vector<double> { 100, 7 })) << "neither 125 nor the cut line 5";
    const QStringList shown { "", "100", "12", "5", "7" };
    EXPECT_EQ(Lines(*Form.Memo1), shown);
    EXPECT_EQ(Lines(*Floating.Memo1), shown);
}

TEST_F(OpeningOnPty, ClearingWhileAPromptWaitsKeepsWhatIsTypedAfterIt)
{
    Pty.Write("boot 1.2\r\n=> ");
    ASSERT_TRUE(WaitUntil([&] { return Form.Memo1->PlainText().endsWith("=> "); }));
    Form.Button6->click();
    EXPECT_EQ(Form.Memo1->LineCount(), 0u);
    Pty.Write("version\r\n");
    ASSERT_TRUE(WaitUntil([&] { return Floating.Memo1->LineCount() == 2 && Form.Memo1->LineCount() == 1; }));
    EXPECT_EQ(Lines(*Form.Memo1), QStringList { "version" });
    EXPECT_EQ(Lines(*Floating.Memo1), (QStringList { "boot 1.2", "=> version" })) << "the other pane is not cleared";
}

} // namespace
