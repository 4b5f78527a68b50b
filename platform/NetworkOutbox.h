// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>

// What a network device has to send, shared by the threads that send: the owner's line commands, the receive
// worker's negotiation answers and the send worker's data. Commands go out between data bytes, never inside a
// doubled 0xFF. Every member may be called from any thread.
class TNetworkOutbox
{
public:
    // `telnet`: data is IAC-escaped and commands may be queued; otherwise data goes out as it is.
    explicit TNetworkOutbox(bool telnet);

    void QueueCommand(std::string_view bytes);
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

private:
    const bool FTelnet;
    std::mutex FLock;
    std::string FCommands;
    std::string FData;
    std::size_t FDataSent = 0;
    std::size_t FWriteStart = 0; // where the current write's bytes begin in FData
    bool FPairOpen = false; // the first half of a doubled 0xFF went out, the second not yet
};
