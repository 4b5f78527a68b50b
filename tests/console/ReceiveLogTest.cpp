// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/receive/ReceiveLog.h"

#include "console/receive/ReceiveText.h"
#include "console/receive/ReceivedChunk.h"
#include "core/LineAppend.h"
#include "tests/console/LineModel.h"

#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace
{

std::vector<std::string> LinesOf(const std::string &text)
{
    TLineModel model;
    model.Add(text);
    const std::deque<std::string> lines = model.Lines();
    return std::vector<std::string>(lines.begin(), lines.end());
}

std::vector<std::string> LinesOf(const TReceiveText &text)
{
    std::vector<std::string> lines;
    for (uint64_t i = 0; i < text.LineCount(); ++i)
        lines.emplace_back(text.Line(i));
    return lines;
}

TEST(ReceiveLog, LinesContinueAcrossChunksOrEachChunkIsALineOfItsOwn)
{
    struct Case {
        const char *Name;
        std::vector<std::string> Chunks;
        std::vector<std::string> Lines; // lines continued across chunks
        std::vector<std::string> ChunkLines; // each chunk a line of its own
    };
    const Case cases[] = {
        { "a value split in two", { "50000", "0058\r\n" }, { "500000058" }, { "50000", "0058", "" } },
        { "LF only", { "1\n2\n" }, { "1", "2" }, { "1", "2", "" } },
        { "CR only", { "1\r2\r" }, { "1", "2" }, { "1", "2", "" } },
        { "CR LF split between chunks", { "a\r", "\nb" }, { "a", "b" }, { "a", "", "", "b" } },
        { "CR then a line", { "a\r", "b\r\n" }, { "a", "b" }, { "a", "", "b", "" } },
        { "empty chunk", { "", "x" }, { "x" }, { "", "x" } },
        { "blank lines", { "1\r\n\r\n2\n\n" }, { "1", "", "2", "" }, { "1", "", "2", "", "" } },
    };
    for (const Case &c : cases) {
        for (bool chunkLines : { false, true }) {
            auto log = std::make_shared<TReceiveLog>();
            log->SetChunkLines(chunkLines);
            TReceiveText pane(log);
            std::string bytes;
            for (const std::string &chunk : c.Chunks) {
                log->AppendChunk(chunk);
                if (chunkLines)
                    AppendLine(bytes, chunk);
                else
                    bytes += chunk;
            }
            EXPECT_EQ(LinesOf(pane), chunkLines ? c.ChunkLines : c.Lines)
                << c.Name << (chunkLines ? " (chunk lines)" : "");
            EXPECT_EQ(pane.Bytes(), bytes) << c.Name;
        }
    }
}

TEST(ReceiveLog, MatchesTheLineModelAcrossBlocksCheckpointsAndLongLines)
{
    std::mt19937 random(7);
    const char alphabet[] = { 'a', '1', '\r', '\n', '\xD6' };
    auto log = std::make_shared<TReceiveLog>(64); // small blocks: many lines straddle where a block would end
    TReceiveText pane(log);
    std::string reference;
    for (int i = 0; i < 3000; ++i) {
        // Now and then a run of bytes without a break, longer than a line may grow.
        std::string chunk(i % 500 == 7 ? 9000 : random() % 90, ' ');
        for (char &c : chunk)
            c = i % 500 == 7 ? 'z' : alphabet[random() % sizeof(alphabet)];
        log->AppendChunk(chunk);
        reference += chunk;
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
    EXPECT_EQ(floating.LineCount(), 100u);
    EXPECT_EQ(log->StoredBytes(), stored);

    log->AppendChunk("678");
    EXPECT_EQ(LinesOf(main), std::vector<std::string> { "678" }) << "the open line shows";
    EXPECT_EQ(main.Bytes(), "678");
    EXPECT_EQ(floating.Line(100), "678");

    floating.Clear();
    EXPECT_LT(log->StoredBytes(), 64u);
    EXPECT_EQ(LinesOf(main), std::vector<std::string> { "678" });
    main.Clear();
    EXPECT_LE(log->StoredBytes(), 32u) << "only the open line is kept, for the chunk that continues it";
    log->AppendChunk("9\n0");
    EXPECT_EQ(LinesOf(floating), (std::vector<std::string> { "9", "0" })) << "a line open at the clear goes on";
    EXPECT_EQ(LinesOf(main), (std::vector<std::string> { "9", "0" }));
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

TEST(ReceivedChunk, TextEndsAtTheFirstZeroByte)
{
    const char chunk[] = { '1', '2', '\0', '3', '4', '\0' };
    EXPECT_EQ(ReceivedChunkText(chunk, 5), "12");
    const char leadingZero[] = { '\0', 'a', '\0' };
    EXPECT_EQ(ReceivedChunkText(leadingZero, 2), "");
    const char noZero[] = { 'a', 'b' };
    EXPECT_EQ(ReceivedChunkText(noZero, 2), "ab");

    auto log = std::make_shared<TReceiveLog>();
    TReceiveText pane(log);
    log->AppendChunk(std::string_view(chunk, 5));
    log->AppendChunk("5\n");
    EXPECT_EQ(pane.Bytes(), "125\n") << "the bytes after the zero byte are not text";
    EXPECT_EQ(log->ChunkBytes(0), std::string_view(chunk, 5)) << "but kept for the hex view";
}

} // namespace
