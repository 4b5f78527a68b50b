// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

// Notification codes that the workers post to the component's notification window. The codes double as Qt event
// types (user range).
constexpr unsigned NotifyReceiveData = 1025; // WParam: byte count n; the message carries n bytes and a 0 byte
constexpr unsigned NotifyReceiveError = 1026; // LParam: line error flags
constexpr unsigned NotifyRequestHangup = 1027; // a worker failed and has ended
constexpr unsigned NotifyModemStateChange = 1028; // LParam: ModemRing and/or ModemCarrier
constexpr unsigned NotifySendDataEmpty = 1029; // the send queue ran empty
// LParam 1: a write has made no progress for the send thread's hold time (the device holds the line, as with XOFF);
// LParam 0: that write moved on again.
constexpr unsigned NotifySendHeld = 1030;

// The thread message that asks the send thread to write a block: WParam is the byte count.
constexpr unsigned SendRequest = 1025;

constexpr uint32_t ModemRing = 4;
constexpr uint32_t ModemCarrier = 8;
