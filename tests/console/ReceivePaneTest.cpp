#include "console/ReceivePane.h"

#include "console/ReceiveLog.h"
#include "tests/support/WaitUntil.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QMouseEvent>
#include <QScrollBar>
#include <gtest/gtest.h>

namespace
{

// Runs the event loop until the pane has caught up (or a generous limit passes).
void CatchUp(TReceivePane &pane)
{
    WaitUntil([&pane] { return !pane.RefreshPending(); });
}

class ReceivePaneTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Pane.resize(400, 150);
        Pane.SetLog(Log);
    }

    std::shared_ptr<TReceiveLog> Log = std::make_shared<TReceiveLog>();
    TReceivePane Pane;
};

TEST_F(ReceivePaneTest, ShowsEachChunkAsLinesDecodedFromGbk)
{
    Log->AppendChunk("12345\r\n");
    Log->AppendChunk("678");
    Log->AppendChunk("\xD6\xD0\xCE\xC4 ok");
    Log->AppendChunk("a\rb");
    ASSERT_EQ(Pane.LineCount(), 5u);
    EXPECT_EQ(Pane.LineText(0), QStringLiteral("12345"));
    EXPECT_EQ(Pane.LineText(1), QString());
    EXPECT_EQ(Pane.LineText(3), QStringLiteral("中文 ok"));
    EXPECT_EQ(Pane.PlainText(), QStringLiteral("12345\n\n678\n中文 ok\na\rb"));
    EXPECT_EQ(Pane.Text().Bytes(), "12345\r\n\r\n678\r\n\xD6\xD0\xCE\xC4 ok\r\na\rb\r\n");
}

TEST_F(ReceivePaneTest, AGbkCharacterSplitBetweenChunksIsShownWhole)
{
    Pane.show();
    Log->AppendChunk("ab\xD6");
    EXPECT_EQ(Pane.LineText(0), QStringLiteral("ab\uFFFD")); // nothing has completed it yet
    EXPECT_EQ(Pane.PlainText(), QStringLiteral("ab\uFFFD"));
    Pane.RefreshNow();
    Log->AppendChunk("\xD0"
                     "cd\xCE\xC4");
    Log->AppendChunk("x\xD6\r\ny"); // a lead byte before the device's own line break is not carried
    Pane.RefreshNow();
    EXPECT_EQ(Pane.LineText(0), QStringLiteral("ab"));
    EXPECT_EQ(Pane.LineText(1), QStringLiteral("中cd文"));
    EXPECT_EQ(Pane.LineText(2), QStringLiteral("x\uFFFD"));
    EXPECT_EQ(Pane.PlainText(), QStringLiteral("ab\n中cd文\nx\uFFFD\ny"));
    EXPECT_EQ(Pane.DisplayedLines(), (QStringList { "ab", "中cd文", "x\uFFFD", "y" }));
    EXPECT_EQ(Pane.Text().Bytes(),
        "ab\xD6\r\n\xD0"
        "cd\xCE\xC4\r\nx\xD6\r\ny\r\n"); // the bytes stay as received
}

TEST_F(ReceivePaneTest, AFloodOfChunksCostsOneRefreshAndTheViewFollowsTheEnd)
{
    Pane.show();
    CatchUp(Pane);
    const int before = Pane.RefreshCount();
    for (int i = 0; i < 5000; ++i)
        Log->AppendChunk("12345\r\n");
    EXPECT_EQ(Pane.RefreshCount(), before); // nothing done per chunk
    CatchUp(Pane);
    EXPECT_EQ(Pane.RefreshCount(), before + 1);
    EXPECT_TRUE(Pane.FollowingEnd());
    EXPECT_GT(Pane.verticalScrollBar()->maximum(), 9000);

    // Scrolled up, the view stays where the user put it.
    Pane.verticalScrollBar()->setValue(100);
    Log->AppendChunk("more");
    CatchUp(Pane);
    EXPECT_EQ(Pane.verticalScrollBar()->value(), 100);
    EXPECT_FALSE(Pane.FollowingEnd());
}

TEST_F(ReceivePaneTest, AHiddenPaneCatchesUpWhenShown)
{
    Log->AppendChunk("x");
    QApplication::processEvents();
    EXPECT_EQ(Pane.RefreshCount(), 0);
    EXPECT_TRUE(Pane.RefreshPending());
    Pane.show();
    EXPECT_GE(Pane.RefreshCount(), 1);
    EXPECT_FALSE(Pane.RefreshPending());
}

TEST_F(ReceivePaneTest, ClearEmptiesOnlyThisPane)
{
    TReceivePane other;
    other.SetLog(Log);
    Log->AppendChunk("a");
    Pane.Clear();
    Log->AppendChunk("b");
    EXPECT_EQ(Pane.PlainText(), QStringLiteral("b"));
    EXPECT_EQ(other.PlainText(), QStringLiteral("a\nb"));
}

TEST_F(ReceivePaneTest, SelectionCopiesTheDecodedText)
{
    Log->AppendChunk("12345\r\n");
    Log->AppendChunk("\xD6\xD0\xCE\xC4");
    Pane.Select({ 0, 1 }, { 2, 1 });
    EXPECT_EQ(Pane.SelectedText(), QStringLiteral("2345\n\n中"));
    Pane.Copy();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("2345\n\n中"));
    Pane.SelectAll();
    EXPECT_EQ(Pane.SelectedText(), QStringLiteral("12345\n\n中文"));
}

TEST_F(ReceivePaneTest, MouseDragSelects)
{
    Pane.show();
    Log->AppendChunk("first line");
    Log->AppendChunk("second line");
    CatchUp(Pane);
    QWidget *viewport = Pane.viewport();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), viewport->mapToGlobal(QPointF(2, 2)), Qt::LeftButton,
        Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &press);
    QPointF end(Pane.viewport()->width() - 4, Pane.fontMetrics().lineSpacing() * 1.5);
    QMouseEvent move(QEvent::MouseMove, end, viewport->mapToGlobal(end), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    EXPECT_EQ(Pane.SelectedText(), QStringLiteral("first line\nsecond line"));
}

TEST_F(ReceivePaneTest, ScreenReadersGetTheWholeTextAndCanSelect)
{
    Pane.show();
    Log->AppendChunk("12345\r\n");
    Log->AppendChunk("\xD6\xD0\xCE\xC4");
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(&Pane);
    ASSERT_NE(accessible, nullptr);
    QAccessibleTextInterface *text = accessible->textInterface();
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(accessible->state().readOnly);
    EXPECT_EQ(text->characterCount(), 9);
    EXPECT_EQ(text->text(0, 9), QStringLiteral("12345\n\n中文"));
    EXPECT_EQ(accessible->text(QAccessible::Value), QStringLiteral("12345\n\n中文"));
    text->setSelection(0, 3, 8);
    EXPECT_EQ(Pane.SelectedText(), QStringLiteral("45\n\n中"));
    int start = 0, end = 0;
    text->selection(0, &start, &end);
    EXPECT_EQ(start, 3);
    EXPECT_EQ(end, 8);

    Log->AppendChunk("new"); // later text is there too
    EXPECT_EQ(text->text(7, 13), QStringLiteral("中文\nnew"));
}

TEST_F(ReceivePaneTest, DisplayedLinesAreTheWrappedPieces)
{
    Pane.resize(120, 100);
    Pane.show();
    const std::string word = "0123456789";
    std::string longLine;
    for (int i = 0; i < 20; ++i)
        longLine += word + " ";
    Log->AppendChunk(longLine);
    Log->AppendChunk("");
    Log->AppendChunk("short");
    QStringList rows = Pane.DisplayedLines();
    ASSERT_GT(rows.size(), 4);
    EXPECT_EQ(rows.mid(0, rows.size() - 2).join(QString()), QString::fromStdString(longLine));
    EXPECT_EQ(rows[rows.size() - 2], QString());
    EXPECT_EQ(rows.back(), QStringLiteral("short"));
    QFontMetrics metrics(Pane.font());
    for (const QString &row : rows)
        EXPECT_LE(metrics.horizontalAdvance(row.trimmed()), Pane.viewport()->width()) << row.toStdString();
}

} // namespace
