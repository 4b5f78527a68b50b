// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <linux/serial.h>

// What a serial driver's interrupt counters (TIOCGICOUNT) say happened between two samples, in the terms of the
// device interface: line error flags for ClearCommError and the comm events they raise.
struct TLineCounterEvents {
    uint32_t Errors = 0; // CeFrame, CeRxParity, CeOverrun, CeRxOver, CeBreak
    uint32_t Events = 0; // EvErr when Errors is not 0, EvRing, EvRlsd

    bool operator==(const TLineCounterEvents &) const = default;
};

// A counter that moved at all between before and after reports its flag once, however far it moved. Changes of CTS
// and DSR, and the byte counts, raise nothing.
TLineCounterEvents LineCounterDelta(const serial_icounter_struct &before, const serial_icounter_struct &after);
