// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/WriteThread.h"

#include "comm/CommMessages.h"
#include "comm/NotificationTarget.h"
#include "platform/SerialDevice.h"

#include <system_error>

TWriteThread::TWriteThread(std::shared_ptr<TSerialDevice> device, std::shared_ptr<TSerialEvent> closeEvent,
    std::shared_ptr<TNotificationTarget> window, std::shared_ptr<std::atomic<bool>> sendDataEmptyFlag,
    std::chrono::milliseconds holdNotice)
    : FDevice(std::move(device))
    , FCloseEvent(std::move(closeEvent))
    , FWindow(std::move(window))
    , FSendDataEmptyFlag(std::move(sendDataEmptyFlag))
    , FHoldNotice(holdNotice)
{
    if (!FQueue.Valid())
        throw std::system_error(std::make_error_code(std::errc::too_many_files_open));
}

bool TWriteThread::PostThreadMessage(unsigned code, uint32_t wParam, std::unique_ptr<char[]> block)
{
    return FQueue.Post({ code, wParam, std::move(block) });
}

void TWriteThread::HangUp()
{
    // Refuse further requests before the owner can hear of the failure.
    FQueue.Close();
    FWindow->Post(NotifyRequestHangup);
}

void TWriteThread::Execute()
{
    bool emptyNoticePending = true;
    for (;;) {
        TThreadMessage message;
        if (!FQueue.Peek(message)) {
            FSendDataEmptyFlag->store(true);
            if (emptyNoticePending) {
                // A full queue (the window behind on received data) is waited out; a close request ends the wait.
                TNotificationTarget::TPosted posted = FWindow->PostWaiting(*FCloseEvent, NotifySendDataEmpty);
                if (posted == TNotificationTarget::TPosted::Closed)
                    break;
                if (posted == TNotificationTarget::TPosted::Failed) {
                    HangUp();
                    break;
                }
            }
            emptyNoticePending = false;
            int woken = WaitForSerialEvents({ FCloseEvent.get(), &FQueue.InputEvent() });
            if (woken == 0)
                break;
            if (woken == 1)
                continue;
            HangUp();
            break;
        }
        if (FCloseEvent->IsSet())
            break;
        if (message.Code != SendRequest)
            continue;
        // The block is released when message goes out of scope, after the device is done with it.
        if (!WriteBlock(message.Block.get(), message.WParam))
            break;
        emptyNoticePending = true;
    }
    FQueue.Close();
    FDevice->PurgeComm(PurgeTxAbort | PurgeTxClear);
    FSendDataEmptyFlag->store(true);
}

bool TWriteThread::WriteBlock(const char *data, uint32_t count)
{
    uint32_t offset = 0;
    uint32_t remaining = count;
    while (remaining != 0) {
        uint32_t written = 0;
        TIoResult result = FDevice->WriteFile(data + offset, remaining, written);
        if (result == TIoResult::InvalidHandle)
            return false;
        if (result == TIoResult::Failed) {
            HangUp();
            return false;
        }
        if (result == TIoResult::Pending) {
            int signalled = WaitForPendingWrite();
            if (signalled == 0)
                return false;
            if (signalled != 1) {
                HangUp();
                return false;
            }
            result = FDevice->WriteResult(written);
            if (result != TIoResult::Done) {
                if (result != TIoResult::InvalidHandle)
                    HangUp();
                return false;
            }
        }
        written = written < remaining ? written : remaining;
        remaining -= written;
        offset += written;
    }
    return true;
}

int TWriteThread::WaitForPendingWrite()
{
    int signalled = FDevice->WaitWrite(*FCloseEvent, static_cast<int>(FHoldNotice.count()));
    if (signalled != SerialWaitTimeout)
        return signalled;
    // The device holds the line. The notices are news only: a refused post changes nothing here.
    FWindow->Post(NotifySendHeld, 0, 1);
    signalled = FDevice->WaitWrite(*FCloseEvent, -1);
    if (signalled == 1)
        FWindow->Post(NotifySendHeld, 0, 0);
    return signalled;
}
