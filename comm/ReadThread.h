// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "comm/CommThread.h"
#include "comm/NotificationTarget.h"

#include <cstdint>
#include <memory>

class TSerialDevice;
class TSerialEvent;

// The receive worker. One wait watches the close request, the device's comm events (line error, ring, carrier
// change) and a pending read; each chunk of received bytes goes to the notification window as a block of its own,
// line errors and modem changes as notifications, and any failure as a hang-up request that ends the thread. When
// the window falls behind and its queue is full, the thread waits for room before it reads on (the device holds the
// rest back); the close request ends that wait.
class TReadThread : public TCommThread
{
public:
    static constexpr uint32_t ReadBufferSize = 2048;
    // The comm events watched: carrier change, line error, ring.
    static constexpr uint32_t CommEventMask = 0x01A0;

    TReadThread(std::shared_ptr<TSerialDevice> device, std::shared_ptr<TSerialEvent> closeEvent,
        std::shared_ptr<TNotificationTarget> window);

protected:
    void Execute() override;

private:
    bool CloseRequested() const;
    void HangUp();
    bool StartCommEventWait();
    bool StartRead();
    bool HandleCommEvent(uint32_t eventMask, bool collect);
    bool HandleReadCompletion();
    bool DeliverReceivedData(const char *bytes, uint32_t count);
    // Whether to carry on after a post; a failed post hangs up.
    bool Delivered(TNotificationTarget::TPosted posted);

    std::shared_ptr<TSerialDevice> FDevice;
    std::shared_ptr<TSerialEvent> FCloseEvent;
    std::shared_ptr<TNotificationTarget> FWindow;
    char FReadBuffer[ReadBufferSize];
    uint32_t FReadCount = 0;
    uint32_t FEventMask = 0;
};
