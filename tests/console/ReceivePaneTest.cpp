// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/receive/ReceivePane.h"

#include "console/receive/ReceiveLog.h"
#include "tests/support/WaitUntil.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
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
        Log->SetChunkLines(true); // each chunk a line of its own, unless a test continues lines across chunks
    }

    std::shared_ptr<TReceiveLog> Log = std::make_shared<TReceiveLog>();
    TReceivePane Pane;
};

TEST_F(ReceivePaneTest, ShowsWholeLinesDecodedFromGbkOrEachChunkOnALineOfItsOwn)
{
    Log->SetChunkLines(false);
    Log->AppendChunk("12345\r\n");
    Log->AppendChunk("678");
    Log->AppendChunk("\xD6\xD0\xCE\xC4 ok\n");
    Log->AppendChunk("a\rb");
    ASSERT_EQ(Pane.LineCount(), 4u);
    EXPECT_EQ(Pane.LineText(1), QStringLiteral("678中文 ok"));
    EXPECT_EQ(Pane.PlainText(), QStringLiteral("12345\n678中文 ok\na\nb"));
    EXPECT_EQ(Pane.Text().Bytes(), "12345\r\n678\xD6\xD0\xCE\xC4 ok\na\rb");

    Log->SetChunkLines(true);
    Log->AppendChunk("9");
    EXPECT_EQ(Pane.PlainText(), QStringLiteral("12345\n678中文 ok\na\nb\n9"));
    EXPECT_EQ(Pane.Text().Bytes(), "12345\r\n678\xD6\xD0\xCE\xC4 ok\na\rb\r\n9\r\n");
}

TEST_F(ReceivePaneTest, TheOpenLineGrowsInPlaceAsTheRestArrives)
{
    Log->SetChunkLines(false);
    Pane.show();
    Log->AppendChunk("50");
    Pane.RefreshNow();
    EXPECT_EQ(Pane.DisplayedLines(), QStringList { "50" });
    Log->AppendChunk("00");
    Log->AppendChunk("58\r");
    Pane.RefreshNow();
    EXPECT_EQ(Pane.DisplayedLines(), QStringList { "500058" });
    Log->AppendChunk("\n\xD6");
    Pane.RefreshNow();
    EXPECT_EQ(Pane.DisplayedLines(), (QStringList { "500058", "\uFFFD" }));
    Log->AppendChunk("\xD0");
    Pane.RefreshNow();
    EXPECT_EQ(Pane.DisplayedLines(), (QStringList { "500058", "中" }));
    EXPECT_EQ(Pane.PlainText(), QStringLiteral("500058\n中"));
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

namespace
{

void SendMouse(QWidget *viewport, QEvent::Type type, QPointF at, Qt::MouseButtons held)
{
    QMouseEvent event(type, at, viewport->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
        held, Qt::NoModifier);
    QApplication::sendEvent(viewport, &event);
}

} // namespace

TEST(ReceivePaneWords, WordAroundAColumn)
{
    struct TCase {
        const char *Name;
        QString Text;
        int Column;
        TReceiveDocument::TColumns Word;
    };
    const TCase cases[] = {
        { "inside a word", QStringLiteral("abc def_1 x"), 5, { 4, 9 } },
        { "first character", QStringLiteral("abc def"), 0, { 0, 3 } },
        { "on a blank", QStringLiteral("abc def"), 3, { 3, 4 } },
        { "Chinese run", QStringLiteral("温度 23.5"), 1, { 0, 2 } },
        { "digits stop at the point", QStringLiteral("温度 23.5"), 3, { 3, 5 } },
        { "past the end", QStringLiteral("abc"), 7, { 3, 3 } },
    };
    for (const TCase &c : cases)
        EXPECT_EQ(TReceiveDocument::WordAt(c.Text, c.Column), c.Word) << c.Name;
}

TEST_F(ReceivePaneTest, DoubleClickSelectsAWordAndATripleClickTheLine)
{
    Pane.show();
    Log->AppendChunk("alpha beta gamma");
    CatchUp(Pane);
    QWidget *viewport = Pane.viewport();
    QRect beta = Pane.CharacterRect({ 0, 7 });
    ASSERT_FALSE(beta.isEmpty());
    SendMouse(viewport, QEvent::MouseButtonPress, beta.center(), Qt::LeftButton);
    SendMouse(viewport, QEvent::MouseButtonRelease, beta.center(), Qt::NoButton);
    SendMouse(viewport, QEvent::MouseButtonDblClick, beta.center(), Qt::LeftButton);
    SendMouse(viewport, QEvent::MouseButtonRelease, beta.center(), Qt::NoButton);
    EXPECT_EQ(Pane.SelectedText(), QStringLiteral("beta"));
    SendMouse(viewport, QEvent::MouseButtonPress, beta.center(), Qt::LeftButton);
    SendMouse(viewport, QEvent::MouseButtonRelease, beta.center(), Qt::NoButton);
    EXPECT_EQ(Pane.SelectedText(), QStringLiteral("alpha beta gamma"));
}

TEST_F(ReceivePaneTest, ADragPastTheBottomKeepsScrollingAndSelecting)
{
    Pane.show();
    for (int i = 0; i < 40; ++i)
        Log->AppendChunk("line " + std::to_string(i));
    CatchUp(Pane);
    Pane.ScrollToLine(0);
    QWidget *viewport = Pane.viewport();
    SendMouse(viewport, QEvent::MouseButtonPress, QPointF(2, 2), Qt::LeftButton);
    SendMouse(viewport, QEvent::MouseMove, QPointF(10, viewport->height() + 20), Qt::LeftButton);
    QScrollBar *bar = Pane.verticalScrollBar();
    const int start = bar->value();
    QElapsedTimer limit;
    limit.start();
    while (bar->value() < start + 3 && limit.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_GE(bar->value(), start + 3) << "the view kept scrolling with the mouse held still past the edge";
    SendMouse(viewport, QEvent::MouseButtonRelease, QPointF(10, viewport->height() + 20), Qt::NoButton);
    const int stopped = bar->value();
    EXPECT_TRUE(Pane.SelectedText().startsWith(QStringLiteral("line 0\nline 1\n")));
    EXPECT_GT(Pane.SelectedText().count(u'\n'), 4);
    QApplication::processEvents(QEventLoop::AllEvents, 200);
    EXPECT_EQ(bar->value(), stopped) << "the release stops the scrolling";
}

TEST_F(ReceivePaneTest, WheelScrollsThreeLinesAndPageKeysAPage)
{
    Pane.show();
    for (int i = 0; i < 100; ++i)
        Log->AppendChunk("line " + std::to_string(i));
    CatchUp(Pane);
    Pane.ScrollToLine(10);
    QScrollBar *bar = Pane.verticalScrollBar();
    QPointF at(10, 10);
    QWheelEvent wheel(at, Pane.viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
        Qt::NoScrollPhase, false);
    QApplication::sendEvent(Pane.viewport(), &wheel);
    EXPECT_EQ(bar->value(), 13);
    QKeyEvent pageDown(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
    QApplication::sendEvent(&Pane, &pageDown);
    EXPECT_EQ(bar->value(), 13 + bar->pageStep());
    QKeyEvent pageUp(QEvent::KeyPress, Qt::Key_PageUp, Qt::NoModifier);
    QApplication::sendEvent(&Pane, &pageUp);
    EXPECT_EQ(bar->value(), 13);
    QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
    QApplication::sendEvent(&Pane, &end);
    EXPECT_EQ(bar->value(), bar->maximum());
    QKeyEvent home(QEvent::KeyPress, Qt::Key_Home, Qt::ControlModifier);
    QApplication::sendEvent(&Pane, &home);
    EXPECT_EQ(bar->value(), 0);
}

TEST_F(ReceivePaneTest, ALongWrappedLineScrollsAFewRowsAtATime)
{
    Pane.show();
    Log->AppendChunk("short");
    std::string longLine;
    for (int i = 0; i < 60; ++i)
        longLine += "word" + std::to_string(i) + " ";
    Log->AppendChunk(longLine);
    for (int i = 0; i < 40; ++i)
        Log->AppendChunk("after " + std::to_string(i));
    CatchUp(Pane);
    Pane.ScrollToLine(1);
    QScrollBar *bar = Pane.verticalScrollBar();
    ASSERT_EQ(bar->value(), 1);
    const TReceivePane::TPosition top = Pane.PositionAt(QPoint(3, 3));
    ASSERT_EQ(top.Line, 1u);
    ASSERT_EQ(top.Column, 0);

    auto wheel = [&](int delta) {
        QPointF at(10, 10);
        QWheelEvent event(at, Pane.viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
            Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(Pane.viewport(), &event);
    };
    wheel(-120);
    EXPECT_EQ(bar->value(), 1) << "still within the long line";
    const TReceivePane::TPosition moved = Pane.PositionAt(QPoint(3, 3));
    EXPECT_EQ(moved.Line, 1u);
    EXPECT_GT(moved.Column, 0) << "three rows further into the line";
    EXPECT_TRUE(Pane.CharacterRect({ 1, 0 }).bottom() < 0) << "its first row is above the pane";
    wheel(120);
    EXPECT_EQ(bar->value(), 1);
    EXPECT_EQ(Pane.PositionAt(QPoint(3, 3)).Column, 0);
    wheel(120);
    EXPECT_EQ(bar->value(), 0);
}
