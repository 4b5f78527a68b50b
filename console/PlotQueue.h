#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The PlotQueue: a first-in, first-out queue of received lines on their way to the chart, held as bytes.
// Each appended chunk follows the multi-line append rule: it is followed by CR LF, so its lines are the pieces between
// CR LF pairs and a chunk that ends in CR LF leaves an empty line after it. Lines leave only from the top.
// Taking a line costs the length of that line, however long the backlog; memory stays close to the queued bytes.
class TPlotQueue
{
public:
    void AppendChunk(std::string_view chunk);

    // Line 0 without its line break; empty when the queue is empty.
    std::string_view FirstLine() const;
    // Removes line 0 with its line break; nothing happens on an empty queue.
    void RemoveFirstLine();

    bool Empty() const { return FHead == FBytes.size(); }
    // Queued bytes, line breaks included.
    std::size_t Size() const { return FBytes.size() - FHead; }
    std::size_t Capacity() const { return FBytes.capacity(); }

private:
    std::size_t FirstLineEnd() const;

    std::string FBytes; // every queued line followed by CR LF; bytes before FHead are already taken
    std::size_t FHead = 0;
};
