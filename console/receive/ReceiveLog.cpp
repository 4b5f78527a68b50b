// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/receive/ReceiveLog.h"

#include "console/receive/ReceiveText.h"
#include "core/AnsiText.h"

#include <QDateTime>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

TReceiveLog::TReceiveLog(std::size_t blockSize)
    : FBlockSize(std::max<std::size_t>(blockSize, 16))
{
    FCheckpoints.push_back(0);
}

TReceiveLog::~TReceiveLog() = default;

char *TReceiveLog::Reserve(std::size_t size)
{
    // One byte is always left spare, for the LF that may still complete a CR at the end.
    if (FBlocks.empty() || FBlocks.back().Size - FBlocks.back().Used < size + 1) {
        const std::size_t open = static_cast<std::size_t>(FEndOffset - FOpenStart);
        TBlock block;
        block.Start = FOpenStart;
        block.Size = std::max(FBlockSize, open + size + 1);
        // Not value-initialised: pages that are never written are never touched.
        block.Data.reset(new char[block.Size]);
        if (open > 0) {
            // The open line moves whole into the new block, so that every line stays contiguous.
            TBlock &old = FBlocks.back();
            std::memcpy(block.Data.get(), old.Data.get() + (FOpenStart - old.Start), open);
            old.Used = static_cast<std::size_t>(FOpenStart - old.Start);
            block.Used = open;
            if (old.Used == 0)
                FBlocks.pop_back();
        }
        FBlocks.push_back(std::move(block));
    }
    TBlock &block = FBlocks.back();
    return block.Data.get() + block.Used;
}

void TReceiveLog::AppendChunk(std::string_view chunk, std::span<const TTimedRun> runs)
{
    const std::string_view text = chunk.substr(0, std::min(chunk.find('\0'), chunk.size()));
    const double now = NowSeconds();
    // The text's runs: those past its first zero byte are not part of it.
    std::vector<TTimedRun> textRuns;
    for (const TTimedRun &run : runs) {
        textRuns.push_back({ std::min(run.End, text.size()), run.Time });
        if (run.End >= text.size())
            break;
    }
    const double arrival = textRuns.empty() ? now : textRuns.back().Time;

    if (FChunkLines && FEndOffset > FOpenStart)
        Store("\r\n", {}, arrival, false);
    FChunks.push_back({ FEndOffset, static_cast<uint32_t>(text.size()), std::llround(arrival * 1000.0) });
    if (text.size() < chunk.size())
        FTails.emplace_back(EndChunk() - 1, std::string(chunk.substr(text.size())));
    Store(text, textRuns, arrival, false);
    if (FChunkLines)
        Store("\r\n", {}, arrival, true);

    TellReaders();
}

void TReceiveLog::TellReaders()
{
    std::vector<TReceiveText *> readers = FReaders;
    for (TReceiveText *reader : readers) {
        if (reader->OnAppended)
            reader->OnAppended();
    }
}

void TReceiveLog::PortOpened()
{
    if (FEndOffset > FOpenStart) {
        Store("\r\n", {}, FLastArrival, true);
        TellReaders();
    }
    FAssembler.Restart();
}

void TReceiveLog::Store(std::string_view text, std::span<const TTimedRun> runs, double fallbackTime, bool cutsChunk)
{
    const uint64_t pieceStart = FEndOffset;
    const uint64_t firstLine = FEndLine;
    const std::vector<TLineAssembler::TLineEnd> &ends = FAssembler.Feed(text, runs, fallbackTime);
    if (FAssembler.Skipped() > 0) {
        // The LF of a CR LF split between chunks: it stays in the block of its CR (the spare byte).
        TBlock &block = FBlocks.back();
        block.Data[block.Used++] = '\n';
        ++FEndOffset;
        ++FOpenStart;
        if (FEndLine % LinesPerCheckpoint == 0 && FCheckpoints.back() + 1 == FEndOffset
            && FFirstCheckpoint + FCheckpoints.size() - 1 == FEndLine / LinesPerCheckpoint)
            FCheckpoints.back() = FEndOffset;
        // Whatever starts at the open line starts after the LF, which belongs to the line before.
        if (FBeginLine == FEndLine && FBeginOffset + 1 == FOpenStart)
            FBeginOffset = FOpenStart;
        for (TReceiveText *reader : FReaders) {
            if (reader->FFirstLine == FEndLine && reader->FFirstLineStart + 1 == FOpenStart)
                reader->FFirstLineStart = reader->FFirstOffset = FOpenStart;
        }
        text.remove_prefix(1);
    }
    char *dst = Reserve(text.size());
    std::memcpy(dst, text.data(), text.size());
    FBlocks.back().Used += text.size();
    FEndOffset += text.size();

    for (const TLineAssembler::TLineEnd &end : ends) {
        const uint64_t lineStart = FOpenStart;
        const uint64_t contentEnd = pieceStart + end.ContentEnd;
        // A line ended without a break of its own (cut at its longest, or the end of a chunk line) may have cut a
        // character in two.
        if ((end.Next == end.ContentEnd || (cutsChunk && end.ContentEnd == 0)) && contentEnd > lineStart) {
            const TBlock &block = FBlocks.back();
            std::string_view content(
                block.Data.get() + (lineStart - block.Start), static_cast<std::size_t>(contentEnd - lineStart));
            if (!FSplitLines.empty() && FSplitLines.back() + 1 == FEndLine)
                content.remove_prefix(1); // it starts with the second byte of the character the line before cut
            if (EndsInGbkLeadByte(content))
                FSplitLines.push_back(FEndLine);
        }
        ++FEndLine;
        FOpenStart = pieceStart + end.Next;
        if (FEndLine % LinesPerCheckpoint == 0)
            FCheckpoints.push_back(FOpenStart);
    }
    for (const TLineAssembler::TRunLines &group : FAssembler.RunLines())
        FLineTimes.push_back({ firstLine + group.First, group.Count, group.Span.Start, group.Span.Arrival });
    FLastArrival = FAssembler.LastTime();
}

double TReceiveLog::NowSeconds() const
{
    return static_cast<double>(FClock ? FClock() : QDateTime::currentMSecsSinceEpoch()) / 1000.0;
}

std::string TReceiveLog::Bytes(uint64_t from, uint64_t to) const
{
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(to - from));
    while (from < to) {
        const TBlock &block = BlockAt(from);
        const uint64_t end = std::min<uint64_t>(to, block.Start + block.Used);
        bytes.append(block.Data.get() + (from - block.Start), static_cast<std::size_t>(end - from));
        from = end;
    }
    return bytes;
}

std::string TReceiveLog::ChunkBytes(uint64_t chunk) const
{
    const TChunk &record = FChunks.at(chunk - FFirstChunk);
    std::string bytes = Bytes(std::max(record.Offset, FBeginOffset), record.Offset + record.Length);
    auto tail = std::lower_bound(FTails.begin(), FTails.end(), chunk,
        [](const std::pair<uint64_t, std::string> &entry, uint64_t value) { return entry.first < value; });
    if (tail != FTails.end() && tail->first == chunk)
        bytes += tail->second;
    return bytes;
}

uint64_t TReceiveLog::FirstChunkFrom(uint64_t offset) const
{
    auto it = std::lower_bound(FChunks.begin(), FChunks.end(), offset,
        [](const TChunk &chunk, uint64_t value) { return chunk.Offset < value; });
    return FFirstChunk + static_cast<uint64_t>(it - FChunks.begin());
}

bool TReceiveLog::EndsInSplitCharacter(uint64_t line) const
{
    return std::binary_search(FSplitLines.begin(), FSplitLines.end(), line);
}

int64_t TReceiveLog::LineArrival(uint64_t line) const
{
    auto it = std::upper_bound(FLineTimes.begin(), FLineTimes.end(), line,
        [](uint64_t value, const TLineTimes &times) { return value < times.FirstLine; });
    double seconds = FLastArrival;
    if (it != FLineTimes.begin() && line < (it - 1)->FirstLine + (it - 1)->Lines) {
        const TLineTimes &times = *(it - 1);
        seconds = LineArrivalTime(TArrivalSpan { times.Start, times.Arrival },
            static_cast<std::size_t>(line - times.FirstLine), static_cast<std::size_t>(times.Lines));
    }
    return std::llround(seconds * 1000.0);
}

const TReceiveLog::TBlock &TReceiveLog::BlockAt(uint64_t offset) const
{
    auto it = std::upper_bound(FBlocks.begin(), FBlocks.end(), offset,
        [](uint64_t value, const TBlock &block) { return value < block.Start; });
    if (it == FBlocks.begin())
        throw std::out_of_range("receive log offset released");
    return *(it - 1);
}

uint64_t TReceiveLog::LineStart(uint64_t line) const
{
    if (line < FBeginLine || line > EndLine())
        throw std::out_of_range("receive log line out of range");
    if (line >= FEndLine)
        return line == FEndLine ? FOpenStart : FEndOffset;
    uint64_t k = line / LinesPerCheckpoint;
    uint64_t from = FBeginLine;
    uint64_t offset = FBeginOffset;
    if (k >= FFirstCheckpoint && k * LinesPerCheckpoint >= FBeginLine) {
        from = k * LinesPerCheckpoint;
        offset = FCheckpoints[k - FFirstCheckpoint];
    }
    while (from < line) {
        const TBlock &block = BlockAt(offset);
        const char *data = block.Data.get();
        const char *start = data + (offset - block.Start);
        const std::optional<TLineBreak> found = FindLineBreak(start, data + block.Used, TLineAssembler::MaxLineBytes);
        offset += found ? found->Next : static_cast<uint64_t>(data + block.Used - start);
        ++from;
    }
    return offset;
}

std::string_view TReceiveLog::Line(uint64_t line) const
{
    if (line >= EndLine())
        throw std::out_of_range("receive log line out of range");
    uint64_t offset = LineStart(line);
    const TBlock &block = BlockAt(offset);
    const char *start = block.Data.get() + (offset - block.Start);
    const char *limit = block.Data.get() + block.Used;
    if (line == FEndLine)
        return std::string_view(start, static_cast<std::size_t>(limit - start));
    const std::optional<TLineBreak> found = FindLineBreak(start, limit, TLineAssembler::MaxLineBytes);
    return std::string_view(start, found ? found->ContentEnd : static_cast<std::size_t>(limit - start));
}

void TReceiveLog::ForEachPiece(uint64_t from, const std::function<void(std::string_view)> &sink) const
{
    from = std::max(from, FBeginOffset);
    for (const TBlock &block : FBlocks) {
        uint64_t blockEnd = block.Start + block.Used;
        if (blockEnd <= from)
            continue;
        uint64_t skip = from > block.Start ? from - block.Start : 0;
        sink(std::string_view(block.Data.get() + skip, static_cast<std::size_t>(block.Used - skip)));
    }
}

std::size_t TReceiveLog::StoredBytes() const
{
    std::size_t total = 0;
    for (const TBlock &block : FBlocks)
        total += block.Size;
    return total;
}

void TReceiveLog::AddReader(TReceiveText *reader)
{
    FReaders.push_back(reader);
}

void TReceiveLog::RemoveReader(TReceiveText *reader)
{
    FReaders.erase(std::remove(FReaders.begin(), FReaders.end(), reader), FReaders.end());
    ReleaseUnread();
}

void TReceiveLog::ReleaseUnread()
{
    // The open line is kept whatever the readers show: the next chunk continues it.
    uint64_t line = FEndLine;
    uint64_t offset = FOpenStart;
    for (const TReceiveText *reader : FReaders) {
        if (reader->FFirstLine < line) {
            line = reader->FFirstLine;
            offset = reader->FFirstLineStart;
        }
    }
    if (line <= FBeginLine)
        return;
    FBeginLine = line;
    FBeginOffset = offset;
    while (!FBlocks.empty() && FBlocks.front().Start + FBlocks.front().Used <= FBeginOffset
        && FBlocks.front().Start + FBlocks.front().Used < FEndOffset)
        FBlocks.pop_front();
    FSplitLines.erase(FSplitLines.begin(), std::lower_bound(FSplitLines.begin(), FSplitLines.end(), FBeginLine));
    while (!FLineTimes.empty() && FLineTimes.front().FirstLine + FLineTimes.front().Lines <= FBeginLine)
        FLineTimes.pop_front();
    // A pane shows the chunks that start at or after its first byte.
    while (!FChunks.empty() && FChunks.front().Offset < FBeginOffset) {
        FChunks.pop_front();
        ++FFirstChunk;
    }
    while (!FTails.empty() && FTails.front().first < FFirstChunk)
        FTails.pop_front();
    while (FCheckpoints.size() > 1 && FCheckpoints[1] <= FBeginOffset) {
        FCheckpoints.pop_front();
        ++FFirstCheckpoint;
    }
}
