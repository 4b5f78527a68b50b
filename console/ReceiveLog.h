#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TReceiveText;

// The received text that the receive panes show, stored once for all of them. Every received chunk is appended as a
// line of a multi-line text box would be: its bytes followed by CR LF (the text always ends in CR LF, so no other rule
// ever applies). The lines are the pieces between CR LF pairs; a lone CR or LF stays inside its line.
//
// Positions are absolute: byte offsets and line numbers count from the first byte ever appended, so they stay valid
// when storage in front is released. Each pane reads the log from its own first line on (TReceiveText); bytes that no
// pane shows any more are released.
//
// Memory stays close to the bytes themselves: a chunk with its CR LF is stored whole in one block (so every line is
// contiguous), and line starts are indexed only every LinesPerCheckpoint lines; finding a line scans at most that
// many lines from the nearest checkpoint. Appending costs the chunk's length; no stored byte is ever moved.
// Each chunk is also kept as received for the views that show chunks (hex, arrival times): a record of its start and
// its arrival time, once per chunk, and the bytes from its first zero byte on, which the text leaves out (the text of
// a chunk ends at its first zero byte); those are kept only for the chunks that hold a zero byte.
// Used on the user-interface thread only.
class TReceiveLog
{
public:
    static constexpr uint64_t LinesPerCheckpoint = 64;

    explicit TReceiveLog(std::size_t blockSize = std::size_t(1) << 20);
    ~TReceiveLog();
    TReceiveLog(const TReceiveLog &) = delete;
    TReceiveLog &operator=(const TReceiveLog &) = delete;

    // Appends the chunk's text (its bytes up to the first zero byte) and CR LF, keeps the chunk as received and dated
    // by the clock, then tells every reader.
    void AppendChunk(std::string_view chunk);

    // The clock that dates chunks, in milliseconds since the epoch; by default the system's. Tests set their own.
    void SetClock(std::function<int64_t()> clock) { FClock = std::move(clock); }

    // Chunks, numbered from the first ever appended: BeginChunk() <= chunk < EndChunk() are stored.
    uint64_t BeginChunk() const { return FFirstChunk; }
    uint64_t EndChunk() const { return FFirstChunk + FChunks.size(); }
    // The chunk's bytes as received, zero bytes included (without the CR LF the log added).
    std::string ChunkBytes(uint64_t chunk) const;
    int64_t ChunkArrival(uint64_t chunk) const { return FChunks.at(chunk - FFirstChunk).ArrivalMs; }
    // The chunk whose text starts at the line, or EndChunk() when the line is the log's end line; nothing when the line
    // is not the first line of a chunk.
    std::optional<uint64_t> ChunkStartingAt(uint64_t line) const;

    uint64_t EndOffset() const { return FEndOffset; }
    // Number of lines ever appended (each ends in CR LF).
    uint64_t EndLine() const { return FEndLine; }
    // The first line still stored and its offset.
    uint64_t BeginLine() const { return FBeginLine; }
    uint64_t BeginOffset() const { return FBeginOffset; }

    // Line `line` (BeginLine() <= line < EndLine()) without its CR LF. The view stays valid until storage is released.
    std::string_view Line(uint64_t line) const;
    uint64_t LineStart(uint64_t line) const;

    // Whether the line is the last one of its chunk and ends in the first byte of a two-byte GBK character: a
    // character that the chunk boundary split, its second byte starting the next chunk.
    bool EndsInSplitCharacter(uint64_t line) const;

    // Calls sink with the stored bytes from offset `from` to the end, in order, in one or more pieces.
    void ForEachPiece(uint64_t from, const std::function<void(std::string_view)> &sink) const;

    // Bytes held in storage blocks (allocated, not necessarily touched).
    std::size_t StoredBytes() const;

private:
    friend class TReceiveText;

    struct TChunk {
        uint64_t Offset = 0; // of its first byte
        uint64_t Line = 0; // its first line
        int64_t ArrivalMs = 0;
    };

    struct TBlock {
        uint64_t Start = 0; // absolute offset of Data[0]
        std::size_t Used = 0;
        std::size_t Size = 0;
        std::unique_ptr<char[]> Data;
    };

    void AddReader(TReceiveText *reader);
    void RemoveReader(TReceiveText *reader);
    // Releases what no reader shows any more.
    void ReleaseUnread();
    const TBlock &BlockAt(uint64_t offset) const;
    char *Reserve(std::size_t size);

    std::size_t FBlockSize;
    std::deque<TBlock> FBlocks;
    // FCheckpoints[i] is the start of line (FFirstCheckpoint + i) * LinesPerCheckpoint.
    std::deque<uint64_t> FCheckpoints;
    uint64_t FFirstCheckpoint = 0;
    uint64_t FEndOffset = 0;
    uint64_t FEndLine = 0;
    uint64_t FBeginOffset = 0;
    uint64_t FBeginLine = 0;
    std::vector<TReceiveText *> FReaders;
    std::vector<uint64_t> FSplitLines; // ascending
    std::deque<TChunk> FChunks;
    uint64_t FFirstChunk = 0;
    // The bytes from the first zero byte on of the chunks that hold one, by chunk; ascending.
    std::deque<std::pair<uint64_t, std::string>> FTails;
    std::function<int64_t()> FClock;
};
