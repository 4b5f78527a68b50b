// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SerialLineConfig.h"

// The kernel's own terminal record, termios2, which carries any baud rate (BOTHER with the rate in c_ispeed and
// c_ospeed). Its header declares a struct termios of its own, so this file must never be included together with
// <termios.h>; code that includes that uses platform/TerminalConfig.h instead.
#include <asm/termbits.h>

// The record `current` in raw mode (no line editing, echo, signals or character translation; receiver on; modem
// status lines ignored for opening and hang-up; a read is ready with one byte) with the line configuration applied.
// Fields that neither touches keep their values. Data bits outside 5 to 8 become 8, an unknown parity none.
termios2 RawTermios2(const termios2 &current, const TSerialLineConfig &line);

// The line configuration a record holds.
TSerialLineConfig LineConfigOfTermios2(const termios2 &record);
