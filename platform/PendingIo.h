// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SerialDevice.h"

#include <cstdint>

// One overlapped operation of a device (a read, a comm-event wait or a write) as its worker's calls see it: idle,
// running (Pending), or finished and not yet collected (Done, with its Result and Value). Value is the byte count of
// a read or write and the event mask of a comm-event wait. Only the thread that started the operation touches it.
struct TPendingIo {
    bool Pending = false;
    bool Done = false;
    TIoResult Result = TIoResult::Done;
    uint32_t Value = 0;

    // A new operation of this kind may not start while one runs or waits to be collected.
    bool Busy() const { return Pending || Done; }
    void Start() { Pending = true; }
    void Complete(TIoResult result, uint32_t value)
    {
        Pending = false;
        Done = true;
        Result = result;
        Value = value;
    }
    // Hands out a finished operation's result and value once, and makes the operation idle again. Pending while it
    // still runs, Failed when none was started.
    TIoResult Collect(uint32_t &value)
    {
        if (!Done)
            return Pending ? TIoResult::Pending : TIoResult::Failed;
        Done = false;
        value = Value;
        return Result;
    }
};
