// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/PendingIo.h"
#include "platform/SerialEvent.h"

#include <chrono>
#include <cstdint>

// What a device does for its pending write while the send worker waits: the device holds the data and knows how it
// goes out; the wait only decides when to try.
class TWriteSteps
{
public:
    // Tries to send more now that the descriptor takes data. True when that ended the write, with its result and the
    // count of bytes that went out; false to go on waiting.
    virtual bool WriteMore(TIoResult &result, uint32_t &written) = 0;
    // The count of bytes that went out when the write's total timeout ends it.
    virtual uint32_t WrittenAtDeadline() = 0;
    // Forgets what is left of the write when the connection hangs up or fails.
    virtual void Abandon() { }

protected:
    ~TWriteSteps() = default;
};

// The write a device's send worker has pending: its completion and its total timeout. Only the send worker touches
// it.
class TPendingWrite
{
public:
    // Starts a write of `size` bytes that could not go out at once, bounded by the two write totals.
    void Begin(const TCommTimeouts &timeouts, uint32_t size);
    bool Busy() const { return FIo.Busy(); }
    bool Done() const { return FIo.Done; }
    TIoResult Collect(uint32_t &written) { return FIo.Collect(written); }

    // The device's WaitWrite: polls `fd` for room until the close event is set (0), the write completed (1), or
    // timeoutMs (negative: no limit) passed (SerialWaitTimeout, the write still pending); SerialWaitFailed when
    // no write was started or waiting failed.
    int Wait(const TSerialEvent &closeEvent, int fd, int timeoutMs, TWriteSteps &steps);

private:
    using TClock = std::chrono::steady_clock;

    TPendingIo FIo;
    bool FHasTotal = false;
    TClock::time_point FDeadline;
};
