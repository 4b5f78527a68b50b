#include "console/ReceiveLog.h"

#include "console/PlotQueue.h"
#include "console/ReceiveText.h"
#include "console/ReceivedChunk.h"
#include "core/LineAppend.h"

#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace
{

// The reference: a multi-line text box's text with its lines split at CR LF pairs, the empty last piece not counted.
std::vector<std::string> LinesOf(const std::string &text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::vector<std::string> LinesOf(const TReceiveText &text)
{
    std::vector<std::string> lines;
    for (uint64_t i = 0; i < text.LineCount(); ++i)
        lines.emplace_back(text.Line(i));
    return lines;
}

TEST(ReceiveLog, ChunksBecomeLinesAsInATextBox)
{
    struct Case {
        const char *Name;
        std::vector<std::string> Chunks;
        std::vector<std::string> Lines;
    };
    const Case cases[] = {
        { "line then chunk", { "12345\r\n", "678" }, { "12345", "", "678" } },
        { "lone CR and LF stay in the line", { "a\rb\nc" }, { "a\rb\nc" } },
        { "CR at the end of a chunk", { "a\r", "\nb" }, { "a\r", "\nb" } },
        { "empty chunk", { "", "x" }, { "", "x" } },
        { "several lines in one chunk", { "1\r\n2\r\n3" }, { "1", "2", "3" } },
        { "CR CR LF", { "a\r\r\n" }, { "a\r", "" } },
    };
    for (const Case &c : cases) {
        auto log = std::make_shared<TReceiveLog>();
        TReceiveText pane(log);
        std::string reference;
        for (const std::string &chunk : c.Chunks) {
            log->AppendChunk(chunk);
            AppendLine(reference, chunk);
        }
        EXPECT_EQ(LinesOf(pane), c.Lines) << c.Name;
        EXPECT_EQ(pane.Bytes(), reference) << c.Name;
    }
}

TEST(ReceiveLog, MatchesTheTextBoxModelAcrossBlocksAndCheckpoints)
{
    std::mt19937 random(7);
    const char alphabet[] = { 'a', '1', '\r', '\n', '\xD6' };
    auto log = std::make_shared<TReceiveLog>(64); // small blocks: many chunks straddle where a block would end
    TReceiveText pane(log);
    std::string reference;
    for (int i = 0; i < 3000; ++i) {
        std::string chunk(random() % 90, ' ');
        for (char &c : chunk)
            c = alphabet[random() % sizeof(alphabet)];
        log->AppendChunk(chunk);
        AppendLine(reference, chunk);
    }
    std::vector<std::string> expected = LinesOf(reference);
    ASSERT_EQ(pane.LineCount(), expected.size());
    EXPECT_EQ(LinesOf(pane), expected);
    for (uint64_t i = expected.size(); i-- > 0;) // backwards: every line found from its checkpoint, not in passing
        ASSERT_EQ(pane.Line(i), expected[i]) << i;
    EXPECT_EQ(pane.Bytes(), reference);
}

TEST(ReceiveLog, ClearingOnePaneKeepsTheOtherAndReleasesOnlyWhatNoPaneShows)
{
    auto log = std::make_shared<TReceiveLog>(32);
    TReceiveText main(log);
    TReceiveText floating(log);
    for (int i = 0; i < 100; ++i)
        log->AppendChunk("12345\r\n");
    const std::size_t stored = log->StoredBytes();

    main.Clear();
    EXPECT_EQ(main.LineCount(), 0u);
    EXPECT_EQ(main.Bytes(), "");
    EXPECT_EQ(floating.LineCount(), 200u);
    EXPECT_EQ(log->StoredBytes(), stored);

    log->AppendChunk("678");
    EXPECT_EQ(LinesOf(main), std::vector<std::string> { "678" });
    EXPECT_EQ(main.Bytes(), "678\r\n");
    EXPECT_EQ(floating.Line(200), "678");

    floating.Clear();
    EXPECT_LT(log->StoredBytes(), 64u);
    EXPECT_EQ(LinesOf(main), std::vector<std::string> { "678" });
    main.Clear();
    EXPECT_EQ(log->StoredBytes(), 0u);
    log->AppendChunk("9");
    EXPECT_EQ(LinesOf(floating), std::vector<std::string> { "9" });
}

TEST(ReceiveLog, TellsEveryReaderAfterEachAppend)
{
    auto log = std::make_shared<TReceiveLog>();
    TReceiveText a(log), b(log);
    int calls = 0;
    a.OnAppended = [&] { ++calls; };
    b.OnAppended = [&] { ++calls; };
    log->AppendChunk("x");
    EXPECT_EQ(calls, 2);
}

TEST(ReceivedChunk, TextEndsAtTheFirstZeroByteAndGoesToPanesAndPlotQueue)
{
    const char chunk[] = { '1', '2', '\0', '3', '4', '\0' };
    std::string_view text = ReceivedChunkText(chunk, 5);
    EXPECT_EQ(text, "12");
    const char leadingZero[] = { '\0', 'a', '\0' };
    EXPECT_EQ(ReceivedChunkText(leadingZero, 2), "");
    const char noZero[] = { 'a', 'b' };
    EXPECT_EQ(ReceivedChunkText(noZero, 2), "ab");

    auto log = std::make_shared<TReceiveLog>();
    TReceiveText main(log), floating(log);
    TPlotQueue plotQueue;
    TakeReceivedChunk(text, *log, plotQueue, 1.0);
    TakeReceivedChunk("12345\r\n", *log, plotQueue, 1.05);
    main.Clear(); // the main pane's clear leaves the floating pane and the PlotQueue alone
    EXPECT_EQ(floating.Bytes(), "12\r\n12345\r\n\r\n");
    EXPECT_EQ(plotQueue.FirstLine(), "12");
    EXPECT_EQ(plotQueue.FirstLineTime(), 1.0); // dated on the way in
    EXPECT_EQ(plotQueue.Size(), 13u);
}

} // namespace
