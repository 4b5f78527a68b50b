// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decoders/LineAssembler.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class TReceiveText;

// The received text that the receive panes show, stored once for all of them: the bytes as received, lines
// continued across chunks. Lines end where TLineAssembler ends them (CR LF, lone LF, lone CR, or a line grown to
// its longest); a chunk that ends inside a line leaves it open, and the next chunk continues it. The open line counts
// as a line once it holds a byte; it is the only line that may still change. With chunk lines on, every chunk is a
// line of its own instead: its text follows CR LF when a line is open and is followed by CR LF, as a multi-line text
// box appends a line. Opening the port ends an open line the same way.
//
// Positions are absolute: byte offsets and line numbers count from the first byte ever appended, so they stay valid
// when storage in front is released. Each pane reads the log from its own first line on (TReceiveText); bytes that no
// pane shows any more are released.
//
// Memory stays close to the bytes themselves: every line is stored contiguously in one block (an open line that does
// not fit moves whole into the next block), and line starts are indexed only every LinesPerCheckpoint lines; finding
// a line scans at most that many lines from the nearest checkpoint. Arrival times are kept once per run that
// completes lines, and each line's time follows from them (TLineAssembler's spread).
// Each chunk is also kept as received for the hex view: a record of its start and its arrival time, once per chunk,
// and the bytes from its first zero byte on, which the text leaves out (the text of a chunk ends at its first zero
// byte); those are kept only for the chunks that hold a zero byte.
// Used on the user-interface thread only.
class TReceiveLog
{
public:
    static constexpr uint64_t LinesPerCheckpoint = 64;

    explicit TReceiveLog(std::size_t blockSize = std::size_t(1) << 20);
    ~TReceiveLog();
    TReceiveLog(const TReceiveLog &) = delete;
    TReceiveLog &operator=(const TReceiveLog &) = delete;

    // Appends the chunk's text (its bytes up to the first zero byte), keeps the chunk as received, then tells every
    // reader. runs date it (TTimedRun::End counts the chunk's bytes, Time is in seconds since the epoch); without runs
    // the clock dates the whole chunk.
    void AppendChunk(std::string_view chunk, std::span<const TTimedRun> runs = {});

    // The port was opened: the next bytes start a line of their own. A line still open (cut by the closing) ends here
    // with a CR LF, as a chunk line does, so the next bytes never continue it.
    void PortOpened();

    // Every chunk on a line of its own instead of lines continued across chunks.
    void SetChunkLines(bool on) { FChunkLines = on; }
    bool ChunkLines() const { return FChunkLines; }

    // The clock that dates chunks, in milliseconds since the epoch; by default the system's. Tests set their own.
    void SetClock(std::function<int64_t()> clock) { FClock = std::move(clock); }
    // Now by that clock, in seconds since the epoch.
    double NowSeconds() const;

    // Chunks, numbered from the first ever appended: BeginChunk() <= chunk < EndChunk() are stored.
    uint64_t BeginChunk() const { return FFirstChunk; }
    uint64_t EndChunk() const { return FFirstChunk + FChunks.size(); }
    // The chunk's bytes as received, zero bytes included (without the CR LF the log added).
    std::string ChunkBytes(uint64_t chunk) const;
    int64_t ChunkArrival(uint64_t chunk) const { return FChunks.at(chunk - FFirstChunk).ArrivalMs; }
    // The first stored chunk whose text starts at or after the offset; EndChunk() when there is none.
    uint64_t FirstChunkFrom(uint64_t offset) const;

    uint64_t EndOffset() const { return FEndOffset; }
    // Number of lines ever appended, the open line included once it holds a byte.
    uint64_t EndLine() const { return FEndLine + (FEndOffset > FOpenStart ? 1 : 0); }
    // The line that is open (it may hold no byte yet): every line before it has ended.
    uint64_t OpenLine() const { return FEndLine; }
    // The first line still stored and its offset.
    uint64_t BeginLine() const { return FBeginLine; }
    uint64_t BeginOffset() const { return FBeginOffset; }

    // Line `line` (BeginLine() <= line < EndLine()) without its line break. The view stays valid until the next append
    // or until storage is released.
    std::string_view Line(uint64_t line) const;
    uint64_t LineStart(uint64_t line) const;
    // When the line arrived, in milliseconds since the epoch: the time of the run that ended it (the open line: of the
    // last run).
    int64_t LineArrival(uint64_t line) const;

    // Whether the line ended without its last character: it ends in the first byte of a two-byte GBK character whose
    // second byte starts the next line (a line cut at its longest, or a chunk line).
    bool EndsInSplitCharacter(uint64_t line) const;

    // Calls sink with the stored bytes from offset `from` to the end, in order, in one or more pieces.
    void ForEachPiece(uint64_t from, const std::function<void(std::string_view)> &sink) const;

    // Bytes held in storage blocks (allocated, not necessarily touched).
    std::size_t StoredBytes() const;

private:
    friend class TReceiveText;

    struct TChunk {
        uint64_t Offset = 0; // of its first byte
        uint32_t Length = 0; // of its text as stored
        int64_t ArrivalMs = 0;
    };

    // The lines that one run completed and the span their times are spread over (seconds since the epoch).
    struct TLineTimes {
        uint64_t FirstLine = 0;
        uint64_t Lines = 0;
        double Start = 0;
        double Arrival = 0;
    };

    struct TBlock {
        uint64_t Start = 0; // absolute offset of Data[0]
        std::size_t Used = 0;
        std::size_t Size = 0;
        std::unique_ptr<char[]> Data;
    };

    void AddReader(TReceiveText *reader);
    void RemoveReader(TReceiveText *reader);
    void TellReaders();
    // Releases what no reader shows any more.
    void ReleaseUnread();
    const TBlock &BlockAt(uint64_t offset) const;
    // Room for size more bytes at the end of the back block, with the open line moved along when a block is started.
    char *Reserve(std::size_t size);
    // Stores text split as the assembler says and notes the lines it ends.
    // cutsChunk: text is a CR LF the log puts in to end a line early (a chunk line, the line the port's opening cut).
    void Store(std::string_view text, std::span<const TTimedRun> runs, double fallbackTime, bool cutsChunk);
    std::string Bytes(uint64_t from, uint64_t to) const;

    std::size_t FBlockSize;
    std::deque<TBlock> FBlocks;
    // FCheckpoints[i] is the start of line (FFirstCheckpoint + i) * LinesPerCheckpoint.
    std::deque<uint64_t> FCheckpoints;
    uint64_t FFirstCheckpoint = 0;
    uint64_t FEndOffset = 0;
    uint64_t FEndLine = 0; // lines that have ended
    uint64_t FOpenStart = 0; // where the open line starts
    uint64_t FBeginOffset = 0;
    uint64_t FBeginLine = 0;
    std::vector<TReceiveText *> FReaders;
    std::vector<uint64_t> FSplitLines; // ascending
    std::deque<TChunk> FChunks;
    uint64_t FFirstChunk = 0;
    // The bytes from the first zero byte on of the chunks that hold one, by chunk; ascending.
    std::deque<std::pair<uint64_t, std::string>> FTails;
    std::deque<TLineTimes> FLineTimes;
    double FLastArrival = 0; // seconds since the epoch
    std::function<int64_t()> FClock;
    TLineAssembler FAssembler;
    bool FChunkLines = false;
};
