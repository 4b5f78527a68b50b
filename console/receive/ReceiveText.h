// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class TReceiveLog;

// One receive pane's text: the shared receive log from the pane's own first byte on. Attaching and clearing the pane
// move that start to the log's end, which leaves every other pane's text as it is. A line still open then (a prompt the
// user is typing after) stays the pane's first line, shown from the bytes that come after the clearing, so the rest of
// that line is not lost. The line count includes the log's open line once the pane shows a byte of it.
class TReceiveText
{
public:
    // Starts empty, at the log's current end.
    explicit TReceiveText(std::shared_ptr<TReceiveLog> log);
    ~TReceiveText();
    TReceiveText(const TReceiveText &) = delete;
    TReceiveText &operator=(const TReceiveText &) = delete;

    // Moves to another log, empty.
    void Attach(std::shared_ptr<TReceiveLog> log);
    const std::shared_ptr<TReceiveLog> &Log() const { return FLog; }

    uint64_t LineCount() const;
    bool Empty() const { return LineCount() == 0; }
    // Absolute number of the pane's first line in the log.
    uint64_t FirstLine() const { return FFirstLine; }
    // Absolute offset of the pane's first byte in the log.
    uint64_t FirstOffset() const { return FFirstOffset; }
    // Line `index` of this text (0 = the pane's first line) without its CR LF.
    std::string_view Line(uint64_t index) const;
    // Absolute line `line` of the log as this text shows it: the first line from the pane's first byte on.
    std::string_view ShownLine(uint64_t line) const;
    // The whole text's bytes exactly as appended, CR LF pairs included.
    std::string Bytes() const;
    void ForEachPiece(const std::function<void(std::string_view)> &sink) const;
    uint64_t ByteCount() const;

    void Clear();

    // Called by the log after every append.
    std::function<void()> OnAppended;

private:
    friend class TReceiveLog;

    // Starts the text at the log's end, in the open line when one has begun.
    void StartAtEnd();

    std::shared_ptr<TReceiveLog> FLog;
    uint64_t FFirstLine = 0;
    uint64_t FFirstLineStart = 0; // where the first line starts in the log
    uint64_t FFirstOffset = 0; // the first byte shown, in the first line or at its start
};
