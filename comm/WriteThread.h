// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "comm/CommThread.h"
#include "comm/SendQueue.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>

class TSerialDevice;
class TSerialEvent;
class TNotificationTarget;

// The send worker. It takes send requests from its own queue in the order they were posted and writes each block
// whole, continuing short writes; when the queue runs empty it sets the send-empty flag and, if something was
// written since the last time (or at its start), posts NotifySendDataEmpty. A failure posts a hang-up request and
// ends the thread; requests still queued are then released unwritten. A write that makes no progress for holdNotice
// posts NotifySendHeld (1) once, and NotifySendHeld (0) when it moves on again.
class TWriteThread : public TCommThread
{
public:
    // Throws std::bad_alloc or std::system_error when the queue cannot be set up.
    TWriteThread(std::shared_ptr<TSerialDevice> device, std::shared_ptr<TSerialEvent> closeEvent,
        std::shared_ptr<TNotificationTarget> window, std::shared_ptr<std::atomic<bool>> sendDataEmptyFlag,
        std::chrono::milliseconds holdNotice);

    // Queues a thread message; the block then belongs to the thread. False once the thread is leaving or has
    // ended. Any thread may post.
    bool PostThreadMessage(unsigned code, uint32_t wParam, std::unique_ptr<char[]> block = nullptr);

protected:
    void Execute() override;

private:
    void HangUp();
    bool WriteBlock(const char *data, uint32_t count);
    int WaitForPendingWrite();

    std::shared_ptr<TSerialDevice> FDevice;
    std::shared_ptr<TSerialEvent> FCloseEvent;
    std::shared_ptr<TNotificationTarget> FWindow;
    std::shared_ptr<std::atomic<bool>> FSendDataEmptyFlag;
    TSendQueue FQueue;
    std::chrono::milliseconds FHoldNotice;
};
