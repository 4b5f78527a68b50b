// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

// What a network device has to send, shared by the threads that send: the owner's line commands, the receive
// worker's negotiation answers and the send worker's data. Commands go out between data bytes, never inside a
// doubled 0xFF. Every member may be called from any thread.
//
// The commands waiting are bounded by CommandLimit: a command that does not fit is refused (a peer that has taken none
// of so many bytes has stopped reading, and StalledSince tells its owner when to give it up). The data is one write
// at a time, bounded by the send worker's block size.
class TNetworkOutbox
{
public:
    using TClock = std::chrono::steady_clock;
    static constexpr std::size_t CommandLimit = 64 * 1024;

    // `telnet`: data is IAC-escaped and commands may be queued; otherwise data goes out as it is.
    explicit TNetworkOutbox(bool telnet);

    // False, and nothing queued, when the command does not fit.
    bool QueueCommand(std::string_view bytes);
    // Queues one write's data (behind what an earlier write left, see TakeWritten).
    void QueueData(std::string_view data);
    // Sends what the socket takes now. 0, or the errno value of a failed send (EAGAIN is not a failure).
    int Flush(int fd);
    // Ends the current write: how many of its data bytes went out. What did not go out is forgotten, except the
    // second half of a doubled 0xFF whose first half went out, which stays queued and counts as sent.
    std::size_t TakeWritten();
    // As TakeWritten when some of the current write went out; otherwise 0, and the write stays queued.
    std::size_t TakeWrittenIfAny();
    bool HasUnsent();
    // While bytes wait: the last time the socket took some, or when they began to wait if it took none since.
    std::optional<TClock::time_point> StalledSince();

private:
    void NoteWaiting(bool hadUnsent);
    bool Unsent() const { return !FCommands.empty() || FDataSent < FData.size(); }

    const bool FTelnet;
    std::mutex FLock;
    std::string FCommands;
    std::string FData;
    std::size_t FDataSent = 0;
    std::size_t FWriteStart = 0; // where the current write's bytes begin in FData
    bool FPairOpen = false; // the first half of a doubled 0xFF went out, the second not yet
    TClock::time_point FProgress; // see StalledSince
};
