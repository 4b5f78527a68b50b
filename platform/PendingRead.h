// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/PendingIo.h"
#include "platform/ReadTimeouts.h"

#include <cstdint>
#include <optional>
#include <vector>

// How draining a device's descriptor into the pending read ended: the descriptor is empty for now or the read is
// full (Ok), the device went away (Vanished), the descriptor was closed under the read (BadHandle), or any other
// failure.
enum class TDrain { Ok, Vanished, BadHandle, Failed };

// The read a device's receive worker has running: the caller's buffer, the bytes it holds with their runs and times,
// and when it completes by its timeouts. The devices differ only in how bytes reach the buffer; what a drain's outcome
// means for the read is decided here, so that a read ends the same way on every device. Only the receive worker
// touches it.
class TPendingRead
{
public:
    // A new read of `size` bytes into `buffer`, its timeout rules fixed from `timeouts`.
    void Begin(char *buffer, uint32_t size, const TCommTimeouts &timeouts);

    uint32_t Count() const { return FTimes.Count; }
    // Where the next bytes go and how many more fit.
    char *Free() const { return FBuffer + FTimes.Count; }
    uint32_t Room() const { return FSize - FTimes.Count; }
    // Counts `bytes` more that reached the buffer at `now` as one run.
    void Add(uint32_t bytes, TReadClock::time_point now);

    // The outcome of ReadFile after its first drain: Done with `count` bytes, Pending, or a failure. A vanished
    // device sets `vanished`; the bytes that came before still complete the read.
    TIoResult Started(TDrain drained, bool &vanished, uint32_t &count);
    // Completes the pending read (or else the pending comm-event wait) after a drain in the receive wait, or starts
    // it settling when it goes on.
    void Drained(TDrain drained, bool &vanished, TPendingIo &commWait);
    // Completes the pending read (or else the pending comm-event wait) for a descriptor the poll found invalid.
    void Invalid(TPendingIo &commWait);

    bool Pending() const { return FIo.Pending; }
    bool Done() const { return FIo.Done; }
    bool Busy() const { return FIo.Busy(); }
    void Start() { FIo.Start(); }
    // Completes a pending read that its timeouts end at `now`; true when it did.
    bool CompleteIfDue(TReadClock::time_point now);
    // A settling read leaves arriving bytes in the device's buffer for now, to take them in one go later.
    bool Settling(TReadClock::time_point now) const { return FIo.Pending && now < FSettleEnd; }
    // When the receive wait must wake up for the pending read: its timeout deadline or the end of its settling.
    std::optional<TReadClock::time_point> WakeUp(TReadClock::time_point now) const;
    TIoResult Collect(uint32_t &count) { return FIo.Collect(count); }
    // The runs of the pending or last completed read, forgotten by the call.
    std::vector<TReadRun> TakeRuns();

private:
    bool IsDue(TReadClock::time_point now) const;

    TPendingIo FIo;
    char *FBuffer = nullptr;
    uint32_t FSize = 0;
    TReadTimeoutPlan FPlan;
    TPendingReadTimes FTimes;
    std::vector<TReadRun> FRuns;
    TReadClock::time_point FSettleEnd;
};
