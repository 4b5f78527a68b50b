#pragma once

#include <cstddef>
#include <string_view>

class TReceiveLog;
class TPlotQueue;

// The text of a received chunk: its bytes up to, not including, the first zero byte; bytes after a zero byte are
// dropped. The serial component puts a zero byte after every chunk, so the length only bounds the search.
std::string_view ReceivedChunkText(const void *buffer, std::size_t length);

// Takes one chunk in: appended as a line to the receive panes' shared log (the main and the floating pane read it;
// the log keeps the whole chunk for the hex view) and its text (ReceivedChunkText) to the PlotQueue, dated `arrival`
// (seconds since program start) there. A failure (out of memory) is
// swallowed: the sinks not yet reached miss this chunk.
void TakeReceivedChunk(std::string_view chunk, TReceiveLog &panes, TPlotQueue &plotQueue, double arrival) noexcept;
