// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/ReadThread.h"

#include "comm/CommMessages.h"
#include "comm/NotificationTarget.h"
#include "platform/SerialDevice.h"

#include <chrono>
#include <cstring>
#include <new>
#include <vector>

TReadThread::TReadThread(std::shared_ptr<TSerialDevice> device, std::shared_ptr<TSerialEvent> closeEvent,
    std::shared_ptr<TNotificationTarget> window)
    : FDevice(std::move(device))
    , FCloseEvent(std::move(closeEvent))
    , FWindow(std::move(window))
{
}

bool TReadThread::CloseRequested() const
{
    return FCloseEvent->IsSet();
}

void TReadThread::HangUp()
{
    FWindow->Post(NotifyRequestHangup);
}

void TReadThread::Execute()
{
    if (!FDevice->SetCommMask(CommEventMask)) {
        HangUp();
    } else if (StartCommEventWait() && StartRead()) {
        for (;;) {
            int signalled = FDevice->WaitReceive(*FCloseEvent);
            if (signalled == 0)
                break;
            if (signalled == 1) {
                if (!HandleCommEvent(FEventMask, true) || !StartCommEventWait())
                    break;
            } else if (signalled == 2) {
                if (!HandleReadCompletion() || !StartRead())
                    break;
            } else {
                HangUp();
                break;
            }
        }
    }
    FDevice->PurgeComm(PurgeRxAbort | PurgeRxClear);
}

bool TReadThread::StartRead()
{
    for (;;) {
        if (CloseRequested())
            return false;
        TIoResult result = FDevice->ReadFile(FReadBuffer, ReadBufferSize, FReadCount);
        if (result == TIoResult::Done) {
            // Data already waiting is drained here, a buffer at a time, without going back to the main wait.
            if (!DeliverReceivedData(FReadBuffer, FReadCount))
                return false;
            continue;
        }
        if (result == TIoResult::Pending)
            return true;
        if (result != TIoResult::InvalidHandle)
            HangUp();
        return false;
    }
}

bool TReadThread::HandleReadCompletion()
{
    TIoResult result = FDevice->ReadResult(FReadCount);
    if (result == TIoResult::Done)
        return DeliverReceivedData(FReadBuffer, FReadCount);
    if (result != TIoResult::InvalidHandle)
        HangUp();
    return false;
}

bool TReadThread::DeliverReceivedData(const char *bytes, uint32_t count)
{
    // A read that completes empty (only possible with a total read timeout) ends the thread without notice.
    if (count == 0)
        return false;
    std::unique_ptr<char[]> block(new (std::nothrow) char[count + 1]);
    if (!block) {
        HangUp();
        return false;
    }
    std::memcpy(block.get(), bytes, count);
    block[count] = 0;
    std::vector<TReadRun> runs;
    try {
        runs = FDevice->TakeReadRuns();
        if (runs.empty() || runs.back().End != count) {
            // A device that does not tell its runs apart delivers the read as one run, now.
            const int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                std::chrono::steady_clock::now().time_since_epoch())
                                    .count();
            runs.assign(1, TReadRun { count, now });
        }
    } catch (const std::bad_alloc &) {
        runs.clear(); // the receiver then dates the block on arrival
    }
    return Delivered(FWindow->PostReceived(*FCloseEvent, count, std::move(block), std::move(runs)));
}

bool TReadThread::Delivered(TNotificationTarget::TPosted posted)
{
    // A full queue was waited out; a close request during that wait ends the thread quietly.
    if (posted == TNotificationTarget::TPosted::Failed)
        HangUp();
    return posted == TNotificationTarget::TPosted::Posted;
}

bool TReadThread::StartCommEventWait()
{
    for (;;) {
        if (CloseRequested())
            return false;
        TIoResult result = FDevice->WaitCommEvent(FEventMask);
        if (result == TIoResult::Done) {
            if (!HandleCommEvent(FEventMask, false))
                return false;
            continue;
        }
        if (result == TIoResult::Pending)
            return true;
        if (result != TIoResult::InvalidHandle)
            HangUp();
        return false;
    }
}

bool TReadThread::HandleCommEvent(uint32_t eventMask, bool collect)
{
    bool result = false;
    if (collect) {
        TIoResult collected = FDevice->CommEventResult(eventMask);
        if (collected != TIoResult::Done) {
            if (collected != TIoResult::InvalidHandle)
                HangUp();
            return false;
        }
    }
    if (eventMask & EvErr) {
        uint32_t errors = 0;
        TIoResult cleared = FDevice->ClearCommError(errors);
        if (cleared != TIoResult::Done) {
            if (cleared != TIoResult::InvalidHandle)
                HangUp();
            return false;
        }
        if (!Delivered(FWindow->PostWaiting(*FCloseEvent, NotifyReceiveError, 0, errors)))
            return false;
        result = true;
    }
    uint32_t modem = 0;
    if (eventMask & EvRlsd)
        modem |= ModemCarrier;
    if (eventMask & EvRing)
        modem |= ModemRing;
    if (modem != 0) {
        if (!Delivered(FWindow->PostWaiting(*FCloseEvent, NotifyModemStateChange, 0, modem)))
            return false;
        result = true;
    }
    // A wait that ended without any watched event means the device can no longer report events.
    if (!(eventMask & (EvErr | EvRlsd | EvRing)))
        HangUp();
    return result;
}
