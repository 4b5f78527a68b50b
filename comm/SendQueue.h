// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SerialEvent.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>

// A thread message: a code, a count and, for a send request, the block of bytes it owns.
struct TThreadMessage {
    unsigned Code = 0;
    uint32_t WParam = 0;
    std::unique_ptr<char[]> Block;
};

// The send thread's message queue. It exists from the thread object's creation, so messages posted before the
// thread first looks are kept. Any thread posts; only the send thread takes. Once closed (the thread is leaving)
// posts fail and what was queued is released unwritten.
class TSendQueue
{
public:
    bool Valid() const { return FInput.Valid(); }
    bool Post(TThreadMessage message);
    // Takes the oldest message out; false when the queue is empty.
    bool Peek(TThreadMessage &message);
    void Close();
    // Set while messages are waiting.
    const TSerialEvent &InputEvent() const { return FInput; }

private:
    std::mutex FLock;
    std::deque<TThreadMessage> FMessages;
    bool FClosed = false;
    TSerialEvent FInput;
};
