// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/LineCounterDelta.h"

#include "platform/SerialDevice.h"

TLineCounterEvents LineCounterDelta(const serial_icounter_struct &before, const serial_icounter_struct &after)
{
    TLineCounterEvents delta;
    if (after.frame != before.frame)
        delta.Errors |= CeFrame;
    if (after.parity != before.parity)
        delta.Errors |= CeRxParity;
    if (after.overrun != before.overrun)
        delta.Errors |= CeOverrun;
    if (after.buf_overrun != before.buf_overrun)
        delta.Errors |= CeRxOver;
    if (after.brk != before.brk)
        delta.Errors |= CeBreak;
    if (delta.Errors)
        delta.Events |= EvErr;
    if (after.rng != before.rng)
        delta.Events |= EvRing;
    if (after.dcd != before.dcd)
        delta.Events |= EvRlsd;
    return delta;
}
