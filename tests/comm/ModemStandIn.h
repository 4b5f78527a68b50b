// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Modem lines and line counters for one pty, which has neither. The comm tests are linked with every ioctl call of
// the program's own code routed through __wrap_ioctl (ModemStandIn.cpp), which answers these requests for the pty
// that stands in and passes everything else on: DTR/RTS (TIOCMGET, TIOCMSET, TIOCMBIS, TIOCMBIC), the line counters
// (TIOCGICOUNT) and the wait for a modem line change (TIOCMIWAIT, which a signal interrupts as the driver's does).
#include <linux/serial.h>
#include <sys/types.h>

namespace ModemStandIn
{

// Stands in for the pty with this device number (0: none) with the given DTR/RTS lines and zero counters.
void Use(dev_t device, int lines = 0);
int Lines();
// How often the line counters were read.
int CounterReads();
// Changes the counters as the driver would; a carrier or ring change also ends a pending modem line wait.
void Count(void (*change)(serial_icounter_struct &counters));

} // namespace ModemStandIn
