// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/CommEventWait.h"
#include "platform/PendingRead.h"
#include "platform/PendingWrite.h"
#include "platform/SerialDevice.h"

#include <mutex>
#include <optional>
#include <vector>

// A serial device over one non-blocking descriptor (a terminal, a socket): the state and calls that do not depend on
// what the descriptor is. It keeps the owner's line configuration record and timeouts, the receive worker's pending
// read and comm-event wait, and the send worker's pending write. A device built on it reads its descriptor into
// FRead, notes its events in FCommWait and says how more of a pending write goes out (TWriteSteps).
class TStreamSerialDevice : public TSerialDevice, protected TWriteSteps
{
public:
    // Takes `fd` over; the device built on it closes it.
    explicit TStreamSerialDevice(int fd);

    bool GetCommTimeouts(TCommTimeouts &timeouts) override;
    bool SetCommTimeouts(const TCommTimeouts &timeouts) override;

    // Fails while a read runs or waits to be collected, and on a vanished device.
    TIoResult ReadFile(char *buffer, uint32_t size, uint32_t &count) override;
    TIoResult CommEventResult(uint32_t &mask) override { return FCommWait.Collect(mask); }
    TIoResult ReadResult(uint32_t &count) override { return FRead.Collect(count); }
    std::vector<TReadRun> TakeReadRuns() override { return FRead.TakeRuns(); }

    int WaitWrite(const TSerialEvent &closeEvent, int timeoutMs) override
    {
        return FWrite.Wait(closeEvent, FFd, timeoutMs, *this);
    }

protected:
    // The timeouts as the owner last set them; any thread.
    TCommTimeouts Timeouts();
    // Moves what waits on the descriptor into the pending read, as much as fits.
    virtual TDrain Drain() = 0;
    // Acts on the receive wait's poll of the descriptor: drains it into the pending read when it has data, and
    // ends the read (or else the comm-event wait) when the descriptor has gone invalid or hung up.
    void TakeDescriptorEvents(short revents);
    // WaitReceive's answer once the comm-event wait (1) or the read (2) has completed, the read completing here when
    // its timeouts end it at `now`; 0 instead when the close event is set then. None while both still run.
    std::optional<int> ReceiveCompletion(const TSerialEvent &closeEvent, TReadClock::time_point now);

    const int FFd;

    // Owner's state, also read by the workers (timeouts).
    std::mutex FConfigLock;
    TDeviceControlBlock FDcb;

    // Receive worker's state. A vanished device delivers what it read before and fails every read after.
    bool FVanished = false;
    TCommEventWait FCommWait;
    TPendingRead FRead;

    // Send worker's state.
    TPendingWrite FWrite;

private:
    TCommTimeouts FTimeouts; // under FConfigLock
};
