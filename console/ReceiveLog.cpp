#include "console/ReceiveLog.h"

#include "console/ReceiveText.h"
#include "core/AnsiText.h"
#include "core/CrLfLines.h"

#include <QDateTime>
#include <algorithm>
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
    if (FBlocks.empty() || FBlocks.back().Size - FBlocks.back().Used < size) {
        TBlock block;
        block.Start = FEndOffset;
        block.Size = std::max(FBlockSize, size);
        // Not value-initialised: pages that are never written are never touched.
        block.Data.reset(new char[block.Size]);
        FBlocks.push_back(std::move(block));
    }
    TBlock &block = FBlocks.back();
    return block.Data.get() + block.Used;
}

void TReceiveLog::AppendChunk(std::string_view chunk)
{
    const std::string_view text = chunk.substr(0, std::min(chunk.find('\0'), chunk.size()));
    FChunks.push_back({ FEndOffset, FEndLine, FClock ? FClock() : QDateTime::currentMSecsSinceEpoch() });
    if (text.size() < chunk.size())
        FTails.emplace_back(EndChunk() - 1, std::string(chunk.substr(text.size())));
    const std::size_t size = text.size() + 2;
    char *dst = Reserve(size);
    std::memcpy(dst, text.data(), text.size());
    dst[text.size()] = '\r';
    dst[text.size() + 1] = '\n';

    // Count the CR LF pairs and note the start of every LinesPerCheckpoint-th line. Only CR LF pairs inside this
    // chunk and the one added after it can end lines: the text before it ends in CR LF.
    const char *begin = dst;
    const char *limit = dst + size;
    // When the line before this chunk ends in a split character, this chunk starts with its trail byte.
    const bool startsWithTrailByte = FEndLine > 0 && EndsInSplitCharacter(FEndLine - 1);
    const char *lineStart = begin;
    const char *lastLine = begin;
    while (lineStart < limit) {
        const char *end = CrLfLineEnd(lineStart, limit);
        lastLine = lineStart;
        lineStart = end + 2;
        ++FEndLine;
        if (FEndLine % LinesPerCheckpoint == 0)
            FCheckpoints.push_back(FEndOffset + static_cast<uint64_t>(lineStart - begin));
    }
    FBlocks.back().Used += size;
    FEndOffset += size;
    if (lastLine == begin && startsWithTrailByte && lastLine < limit - 2)
        ++lastLine;
    if (EndsInGbkLeadByte(std::string_view(lastLine, static_cast<std::size_t>(limit - 2 - lastLine))))
        FSplitLines.push_back(FEndLine - 1);

    std::vector<TReceiveText *> readers = FReaders;
    for (TReceiveText *reader : readers) {
        if (reader->OnAppended)
            reader->OnAppended();
    }
}

std::string TReceiveLog::ChunkBytes(uint64_t chunk) const
{
    const TChunk &record = FChunks.at(chunk - FFirstChunk);
    const uint64_t end = chunk + 1 < EndChunk() ? FChunks[chunk + 1 - FFirstChunk].Offset : FEndOffset;
    const TBlock &block = BlockAt(record.Offset);
    std::string bytes(
        block.Data.get() + (record.Offset - block.Start), static_cast<std::size_t>(end - 2 - record.Offset));
    auto tail = std::lower_bound(FTails.begin(), FTails.end(), chunk,
        [](const std::pair<uint64_t, std::string> &entry, uint64_t value) { return entry.first < value; });
    if (tail != FTails.end() && tail->first == chunk)
        bytes += tail->second;
    return bytes;
}

std::optional<uint64_t> TReceiveLog::ChunkStartingAt(uint64_t line) const
{
    if (line == FEndLine)
        return EndChunk();
    auto it = std::lower_bound(
        FChunks.begin(), FChunks.end(), line, [](const TChunk &chunk, uint64_t value) { return chunk.Line < value; });
    if (it == FChunks.end() || it->Line != line)
        return std::nullopt;
    return FFirstChunk + static_cast<uint64_t>(it - FChunks.begin());
}

bool TReceiveLog::EndsInSplitCharacter(uint64_t line) const
{
    return std::binary_search(FSplitLines.begin(), FSplitLines.end(), line);
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
    if (line < FBeginLine || line > FEndLine)
        throw std::out_of_range("receive log line out of range");
    if (line == FEndLine)
        return FEndOffset;
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
        const char *end = CrLfLineEnd(start, data + block.Used);
        offset += static_cast<uint64_t>(end - start) + 2;
        ++from;
    }
    return offset;
}

std::string_view TReceiveLog::Line(uint64_t line) const
{
    if (line >= FEndLine)
        throw std::out_of_range("receive log line out of range");
    uint64_t offset = LineStart(line);
    const TBlock &block = BlockAt(offset);
    const char *start = block.Data.get() + (offset - block.Start);
    const char *end = CrLfLineEnd(start, block.Data.get() + block.Used);
    return std::string_view(start, static_cast<std::size_t>(end - start));
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
    uint64_t line = FEndLine;
    uint64_t offset = FEndOffset;
    for (const TReceiveText *reader : FReaders) {
        if (reader->FFirstLine < line) {
            line = reader->FFirstLine;
            offset = reader->FFirstOffset;
        }
    }
    if (line <= FBeginLine)
        return;
    FBeginLine = line;
    FBeginOffset = offset;
    while (!FBlocks.empty() && FBlocks.front().Start + FBlocks.front().Used <= FBeginOffset)
        FBlocks.pop_front();
    FSplitLines.erase(FSplitLines.begin(), std::lower_bound(FSplitLines.begin(), FSplitLines.end(), FBeginLine));
    while (FChunks.size() > 1 && FChunks[1].Offset <= FBeginOffset) {
        FChunks.pop_front();
        ++FFirstChunk;
    }
    if (!FChunks.empty() && FChunks.front().Offset < FBeginOffset) {
        FChunks.pop_front(); // every line of the last chunk is released too
        ++FFirstChunk;
    }
    while (!FTails.empty() && FTails.front().first < FFirstChunk)
        FTails.pop_front();
    while (FCheckpoints.size() > 1 && FCheckpoints[1] <= FBeginOffset) {
        FCheckpoints.pop_front();
        ++FFirstCheckpoint;
    }
}
