// SPDX-License-Identifier: GPL-3.0-or-later
// The receive pane's text model without a widget: decoding, positions and offsets, selection.

#include "console/receive/ReceiveDocument.h"

#include "console/receive/ReceiveLog.h"

#include <QStringList>
#include <climits>
#include <gtest/gtest.h>
#include <vector>

// Found by argument lookup: positions print as {line, column} in failures.
static void PrintTo(const TReceiveDocument::TPosition &p, std::ostream *out)
{
    *out << "{" << p.Line << ", " << p.Column << "}";
}

namespace
{

using TPosition = TReceiveDocument::TPosition;
using TColumns = TReceiveDocument::TColumns;

// A document on a log of its own, fed chunk by chunk; every chunk a line of its own unless the lines are to continue
// across chunks.
struct TFixture {
    std::shared_ptr<TReceiveLog> Log = std::make_shared<TReceiveLog>();
    TReceiveDocument Document { Log };

    explicit TFixture(const std::vector<std::string> &chunks = {}, bool chunkLines = true)
    {
        Log->SetChunkLines(chunkLines);
        for (const std::string &chunk : chunks)
            Log->AppendChunk(chunk);
    }

    QStringList Lines() const
    {
        QStringList lines;
        for (uint64_t i = 0; i < Document.LineCount(); ++i)
            lines << Document.LineText(i);
        return lines;
    }
};

TEST(ReceiveDocument, DecodesGbkWithCharactersSplitAtChunkBoundaries)
{
    struct TCase {
        const char *Name;
        std::vector<std::string> Chunks;
        QStringList Lines;
        bool ChunkLines = true;
    };
    const TCase cases[] = {
        { "whole characters", { "\xD6\xD0\xCE\xC4 ok" }, { "中文 ok" } },
        { "chunk lines and the device's own line breaks", { "12345\r\n", "678" }, { "12345", "", "678" } },
        { "CR, LF and CR LF end lines, a tab stays", { "a\rb\nc\td\r\n" }, { "a", "b", "c\td", "" } },
        { "split: shown whole where its second byte is",
            { "ab\xD6",
                "\xD0"
                "cd\xCE\xC4" },
            { "ab", "中cd文" } },
        { "split, nothing completed it yet", { "ab\xD6" }, { "ab\uFFFD" } },
        { "split, the next chunk is the second byte alone", { "\xD6", "\xD0" }, { "", "中" } },
        { "splits at two boundaries in a row",
            { "a\xD6", "\xD0\xCE",
                "\xC4"
                "b" },
            { "a", "中", "文b" } },
        { "a lead byte before a CR LF inside a chunk is not carried", { "x\xD6\r\ny", "\xD0" },
            { "x\uFFFD", "y", "\uFFFD" } },
        { "empty", {}, {} },
        // Lines that continue across chunks: a character split between chunks is simply whole in its line.
        { "continued: lines end at the device's breaks", { "12345\r\n", "67", "8\n" }, { "12345", "678" }, false },
        { "continued: split character",
            { "ab\xD6",
                "\xD0"
                "cd\xCE\xC4" },
            { "ab中cd文" }, false },
        { "continued: split, nothing completed it yet", { "ab\xD6" }, { "ab\uFFFD" }, false },
        { "continued: the second byte alone", { "\xD6", "\xD0" }, { "中" }, false },
        { "continued: a lead byte before a line break is not carried", { "x\xD6\ny", "\xD0" }, { "x\uFFFD", "y\uFFFD" },
            false },
        { "continued: a line cut at its longest keeps its last character whole",
            { std::string(8191, 'a') + "\xD6", "\xD0\n" }, { QString(8191, 'a'), "中" }, false },
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        // Read once at the end, and read after every chunk: the accessible text kept from earlier reads must end up
        // the same as one decoded at once.
        TFixture atEnd(c.Chunks, c.ChunkLines);
        EXPECT_EQ(atEnd.Lines(), c.Lines);
        EXPECT_EQ(atEnd.Document.AccessibleText(), c.Lines.join(u'\n'));

        TFixture stepwise({}, c.ChunkLines);
        for (const std::string &chunk : c.Chunks) {
            stepwise.Log->AppendChunk(chunk);
            (void)stepwise.Document.AccessibleText();
        }
        EXPECT_EQ(stepwise.Document.AccessibleText(), c.Lines.join(u'\n'));
    }
}

TEST(ReceiveDocument, BytesStayAsReceived)
{
    TFixture chunkLines({ "ab\xD6",
        "\xD0"
        "c" });
    EXPECT_EQ(chunkLines.Document.Text().Bytes(),
        "ab\xD6\r\n\xD0"
        "c\r\n");
    TFixture continued({ "ab\xD6", "\xD0\r", "\nc" }, false);
    EXPECT_EQ(continued.Document.Text().Bytes(), "ab\xD6\xD0\r\nc");
}

TEST(ReceiveDocument, TellsWhichLineMayShowDifferentlySinceItWasLast)
{
    struct TCase {
        const char *Name;
        std::vector<std::string> Chunks;
        uint64_t EndLine;
        std::optional<uint64_t> Changed;
    };
    const TCase cases[] = {
        { "the last line then: it may have grown", { "ab", "c\nd" }, 1, 0 },
        { "the last line now", { "ab", "c" }, 1, 0 },
        { "nothing seen yet", { "ab" }, 0, std::nullopt },
        { "past the end", { "ab" }, 2, std::nullopt },
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        TFixture f(c.Chunks, false);
        EXPECT_EQ(f.Document.LineChangedSince(c.EndLine), c.Changed);
    }
}

TEST(ReceiveDocument, OffsetsAndPositionsRoundTrip)
{
    // Read once before the split character completes, so that the kept text has to take back its last line.
    TFixture f({ "12345\r\n", "\xD6" });
    EXPECT_EQ(f.Document.AccessibleText(), QStringLiteral("12345\n\n\uFFFD"));
    f.Log->AppendChunk("\xD0"
                       "ab");
    f.Log->AppendChunk("");
    f.Log->AppendChunk("x");
    const QString text = f.Document.AccessibleText();
    ASSERT_EQ(text, QStringLiteral("12345\n\n\n中ab\n\nx"));

    for (int offset = 0; offset <= text.size(); ++offset)
        EXPECT_EQ(f.Document.OffsetOf(f.Document.PositionOfOffset(offset)), offset) << offset;
    for (uint64_t line = 0; line < f.Document.LineCount(); ++line)
        for (int column = 0; column <= f.Document.LineText(line).size(); ++column) {
            const TPosition p { line, column };
            EXPECT_EQ(f.Document.PositionOfOffset(f.Document.OffsetOf(p)), p);
        }

    struct TCase {
        int Offset;
        TPosition Position;
    };
    const TCase cases[] = {
        { -5, { 0, 0 } }, // clamped
        { 5, { 0, 5 } }, // a line's end is before its '\n'
        { 6, { 1, 0 } }, { 7, { 2, 0 } }, { 8, { 3, 0 } }, { 10, { 3, 2 } }, { 12, { 4, 0 } }, { 13, { 5, 0 } },
        { 14, { 5, 1 } }, { 1000, { 5, 1 } }, // clamped
    };
    for (const TCase &c : cases)
        EXPECT_EQ(f.Document.PositionOfOffset(c.Offset), c.Position) << c.Offset;
    EXPECT_EQ(f.Document.OffsetOf({ 99, 0 }), text.size());
}

TEST(ReceiveDocument, AnEmptyDocumentHasOnlyOffsetZero)
{
    TFixture f;
    EXPECT_EQ(f.Document.AccessibleText(), QString());
    EXPECT_EQ(f.Document.OffsetOf({ 3, 4 }), 0);
    EXPECT_EQ(f.Document.PositionOfOffset(7), TPosition {});
    EXPECT_FALSE(f.Document.SelectAll());
    f.Document.Select({ 2, 3 }, { 5, 1 });
    EXPECT_FALSE(f.Document.HasSelection());
    EXPECT_EQ(f.Document.SelectedText(), QString());
}

TEST(ReceiveDocument, SelectionIsClampedAndReadAcrossLines)
{
    TFixture f({ "12345\r\n", "\xD6\xD0\xCE\xC4", "xy" }); // lines "12345", "", "中文", "xy"
    struct TCase {
        const char *Name;
        TPosition Anchor, Caret;
        QString Text;
        TPosition Start, End;
    };
    const TCase cases[] = {
        { "forwards across lines", { 0, 1 }, { 2, 1 }, "2345\n\n中", { 0, 1 }, { 2, 1 } },
        { "backwards", { 2, 1 }, { 0, 1 }, "2345\n\n中", { 0, 1 }, { 2, 1 } },
        { "column past the line's end", { 0, 3 }, { 0, 99 }, "45", { 0, 3 }, { 0, 5 } },
        { "negative column", { 1, -4 }, { 2, 1 }, "\n中", { 1, 0 }, { 2, 1 } },
        { "line past the end", { 3, 1 }, { 50, 0 }, "y", { 3, 1 }, { 3, 2 } },
        { "from an empty line's end", { 1, 0 }, { 2, 0 }, "\n", { 1, 0 }, { 2, 0 } },
        { "everything", { 0, 0 }, { 3, INT_MAX }, "12345\n\n中文\nxy", { 0, 0 }, { 3, 2 } },
        { "zero length", { 2, 1 }, { 2, 1 }, "", { 2, 1 }, { 2, 1 } },
        { "zero length once clamped", { 0, 7 }, { 0, 5 }, "", { 0, 5 }, { 0, 5 } },
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        f.Document.Select(c.Anchor, c.Caret);
        EXPECT_EQ(f.Document.HasSelection(), !c.Text.isEmpty());
        EXPECT_EQ(f.Document.SelectedText(), c.Text);
        EXPECT_EQ(f.Document.SelectionStart(), c.Start);
        EXPECT_EQ(f.Document.SelectionEnd(), c.End);
    }

    ASSERT_TRUE(f.Document.SelectAll());
    EXPECT_EQ(f.Document.SelectedText(), QStringLiteral("12345\n\n中文\nxy"));
    EXPECT_EQ(f.Document.Anchor(), (TPosition { 0, 0 }));
}

TEST(ReceiveDocument, SelectedColumnsMarkTheLineBreaksTheSelectionRunsPast)
{
    TFixture f({ "12345\r\n", "\xD6\xD0\xCE\xC4", "xy" });
    f.Document.Select({ 2, 1 }, { 0, 1 });
    EXPECT_EQ(f.Document.SelectedColumns(0, 5), (TColumns { 1, 6 }));
    EXPECT_EQ(f.Document.SelectedColumns(1, 0), (TColumns { 0, 1 }));
    EXPECT_EQ(f.Document.SelectedColumns(2, 2), (TColumns { 0, 1 }));
    EXPECT_EQ(f.Document.SelectedColumns(3, 2), std::nullopt);
    f.Document.Select({ 2, 1 }, { 2, 1 });
    EXPECT_EQ(f.Document.SelectedColumns(2, 2), std::nullopt);
}

TEST(ReceiveDocument, ClearAndAttachStartEmptyWithoutASelection)
{
    TFixture f({ "one", "two" });
    f.Document.SelectAll();
    EXPECT_EQ(f.Document.AccessibleText(), QStringLiteral("one\ntwo"));
    f.Document.Clear();
    EXPECT_FALSE(f.Document.HasSelection());
    EXPECT_EQ(f.Document.AccessibleText(), QString());
    f.Log->AppendChunk("three");
    EXPECT_EQ(f.Document.LineText(0), QStringLiteral("three"));
    EXPECT_EQ(f.Document.AccessibleText(), QStringLiteral("three"));
    EXPECT_EQ(f.Document.PositionOfOffset(2), (TPosition { 0, 2 }));

    auto other = std::make_shared<TReceiveLog>();
    other->SetChunkLines(true);
    other->AppendChunk("before");
    f.Document.SelectAll();
    f.Document.Attach(other);
    EXPECT_FALSE(f.Document.HasSelection());
    other->AppendChunk("after");
    EXPECT_EQ(f.Document.AccessibleText(), QStringLiteral("after"));
}

// A prompt waits on an open line and the user clears one pane before typing after it: that pane keeps what comes
// after the clearing on that line, the other pane still shows the whole line.
TEST(ReceiveDocument, ClearingWhileALineIsOpenKeepsThatLinesLaterBytes)
{
    TFixture f({}, false);
    TReceiveDocument floating(f.Log);
    f.Log->AppendChunk("boot 1.2\r\n=");
    f.Document.Clear();
    EXPECT_EQ(f.Document.LineCount(), 0u);
    EXPECT_EQ(f.Document.AccessibleText(), QString());

    f.Log->AppendChunk("> ");
    f.Document.Clear();
    f.Log->AppendChunk("ver");
    f.Log->AppendChunk("sion\r\nboot 1.2\r\n=> ");
    EXPECT_EQ(f.Lines(), (QStringList { "version", "boot 1.2", "=> " }));
    EXPECT_EQ(f.Document.AccessibleText(), QStringLiteral("version\nboot 1.2\n=> "));
    EXPECT_EQ(f.Document.Text().Bytes(), "version\r\nboot 1.2\r\n=> ");
    f.Document.SetView({ .Timestamps = true });
    std::string shown;
    f.Document.ForEachShownPiece([&](std::string_view piece) { shown += piece; });
    EXPECT_NE(shown.find("] version\r\n"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("=> version"), std::string::npos) << shown;
    f.Document.SetView({});

    floating.Clear();
    f.Log->AppendChunk("help\r\n");
    QStringList floatingLines;
    for (uint64_t i = 0; i < floating.LineCount(); ++i)
        floatingLines << floating.LineText(i);
    EXPECT_EQ(floatingLines, (QStringList { "help" }));
    EXPECT_EQ(f.Lines().back(), QStringLiteral("=> help")) << "the other pane's clearing changes nothing here";
}

TEST(ReceiveDocument, DisplayFormBlanksControlCharactersOneForOne)
{
    struct TCase {
        QString Text, Shown;
    };
    const TCase cases[] = {
        { "a\rb\nc", "a b c" },
        { "a\tb", "a\tb" },
        { "\x01x\x7F", " x " },
        { "中文 ok", "中文 ok" },
        { "", "" },
    };
    for (const TCase &c : cases)
        EXPECT_EQ(TReceiveDocument::DisplayForm(c.Text), c.Shown) << c.Text.toStdString();
}

} // namespace
