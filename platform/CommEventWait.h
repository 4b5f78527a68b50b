// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/PendingIo.h"

#include <cstdint>

// The comm events and line errors a device has seen and not yet handed out, and the comm-event wait its receive
// worker has running. The devices differ only in where events come from; they note them here and say when a pending
// wait may complete with them. Only the receive worker touches it.
class TCommEventWait
{
public:
    // Watches `mask` from now on: forgets the events seen so far and ends a pending wait with no event.
    void SetMask(uint32_t mask)
    {
        FMask = mask;
        FEvents = 0;
        if (FIo.Pending)
            FIo.Complete(TIoResult::Done, 0);
    }
    void Add(uint32_t events, uint32_t errors)
    {
        FEvents |= events;
        FErrors |= errors;
    }
    // The device's WaitCommEvent: Done with the watched events seen so far in `mask`, else Pending; Failed while a
    // wait runs or waits to be collected.
    TIoResult Start(uint32_t &mask)
    {
        if (FIo.Busy())
            return TIoResult::Failed;
        if (TakeWatched(mask))
            return TIoResult::Done;
        FIo.Start();
        return TIoResult::Pending;
    }
    // Completes a pending wait when a watched event was seen; true when it did.
    bool CompleteIfWatched()
    {
        uint32_t mask;
        if (!FIo.Pending || !TakeWatched(mask))
            return false;
        FIo.Complete(TIoResult::Done, mask);
        return true;
    }
    // The line errors since the last call.
    uint32_t TakeErrors()
    {
        uint32_t errors = FErrors;
        FErrors = 0;
        return errors;
    }

    bool Pending() const { return FIo.Pending; }
    bool Done() const { return FIo.Done; }
    bool Busy() const { return FIo.Busy(); }
    TIoResult Collect(uint32_t &mask) { return FIo.Collect(mask); }
    // The wait itself, for completing it when the device fails under it.
    TPendingIo &Io() { return FIo; }

private:
    bool TakeWatched(uint32_t &mask)
    {
        mask = FEvents & FMask;
        FEvents = 0;
        return mask != 0;
    }

    TPendingIo FIo;
    uint32_t FMask = 0;
    uint32_t FEvents = 0; // seen and not yet reported
    uint32_t FErrors = 0; // not yet cleared
};
