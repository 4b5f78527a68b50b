// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SerialDevice.h"

#include <cstdint>
#include <optional>

// The part of a serial line's configuration that the terminal driver holds, in plain terms: what a device control
// block becomes on a POSIX terminal, and what the driver's record says back.
struct TSerialLineConfig {
    uint32_t BaudRate = 9600;
    unsigned DataBits = 8; // 5 to 8
    unsigned Parity = 0; // 0 none, 1 odd, 2 even, 3 mark, 4 space
    bool TwoStopBits = false;
    bool CheckParity = false; // mark received bytes with parity errors
    bool RtsCtsFlow = false;
    bool XonXoffOut = false; // stop sending on XoffChar, resume on XonChar
    bool XonXoffIn = false; // send XoffChar and XonChar as the input buffer fills and drains
    unsigned char XonChar = 17;
    unsigned char XoffChar = 19;

    bool operator==(const TSerialLineConfig &) const = default;
};

// The line configuration a device control block asks for; none when the record cannot be set up at all (baud rate
// 0, data bits outside 5 to 8, parity above space, stop bits above two). 1.5 stop bits becomes two, the nearest the
// driver has; RTS/CTS flow follows either CTS output flow or RTS handshaking.
std::optional<TSerialLineConfig> LineConfigOfDcb(const TDeviceControlBlock &dcb);

// Brings the fields of dcb that the driver holds up to date with line; every other field keeps its value. A record
// that asked for 1.5 stop bits keeps that while the driver has two.
void MergeLineConfig(TDeviceControlBlock &dcb, const TSerialLineConfig &line);

// The modem control lines a device control block sets by hand. Rts is none while RTS handshaking lets the driver
// drive the line. RTS toggling (up only while sending) rests with the line idle, so it drops RTS.
struct TModemLines {
    bool Dtr = true;
    std::optional<bool> Rts;

    bool operator==(const TModemLines &) const = default;
};

TModemLines ModemLinesOfDcb(const TDeviceControlBlock &dcb);
