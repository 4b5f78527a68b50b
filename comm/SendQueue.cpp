// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/SendQueue.h"

bool TSendQueue::Post(TThreadMessage message)
{
    std::lock_guard lock(FLock);
    if (FClosed)
        return false;
    FMessages.push_back(std::move(message));
    FInput.Set();
    return true;
}

bool TSendQueue::Peek(TThreadMessage &message)
{
    std::lock_guard lock(FLock);
    if (FMessages.empty()) {
        FInput.Reset();
        return false;
    }
    message = std::move(FMessages.front());
    FMessages.pop_front();
    return true;
}

void TSendQueue::Close()
{
    std::deque<TThreadMessage> dropped;
    std::lock_guard lock(FLock);
    FClosed = true;
    dropped.swap(FMessages);
}
