#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
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
// Used on the user-interface thread only.
class TReceiveLog
{
public:
    static constexpr uint64_t LinesPerCheckpoint = 64;

    explicit TReceiveLog(std::size_t blockSize = std::size_t(1) << 20);
    ~TReceiveLog();
    TReceiveLog(const TReceiveLog &) = delete;
    TReceiveLog &operator=(const TReceiveLog &) = delete;

    // Appends the chunk's bytes and CR LF, then tells every reader.
    void AppendChunk(std::string_view text);

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
};
