// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SerialLineConfig.h"

// Reading, writing, saving and restoring a terminal's driver configuration through the kernel's termios2 record,
// which carries any baud rate. Kept free of the system's termios headers, so that code using <termios.h> can call
// it; the record itself is in platform/Termios2LineConfig.h.

// Reads the driver's configuration of the terminal fd. False when fd is no terminal.
bool ReadSerialLineConfig(int fd, TSerialLineConfig &config);
// Puts the terminal in raw mode and applies config (see RawTermios2). False when the driver refused the request.
bool WriteSerialLineConfig(int fd, const TSerialLineConfig &config);

// A terminal's whole driver configuration as it was at one moment, kept to be put back later. The kernel's record
// is kept as bytes, for the header reason above.
struct TSavedTerminalState {
    alignas(8) unsigned char Bytes[64] {};
    bool Valid = false;
};

// Takes the configuration of the terminal fd. False when fd is no terminal.
bool SaveTerminalState(int fd, TSavedTerminalState &state);
// Puts a taken configuration back at once. False when there is none or the driver refused it (a vanished device).
bool RestoreTerminalState(int fd, const TSavedTerminalState &state);
