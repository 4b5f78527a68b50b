// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SerialDevice.h"

#include <memory>
#include <string>

// Opens a serial device through the terminal driver: "COMn" names /dev/ttyS{n-1}, a name starting with '/' is a
// device path. A terminal is opened exclusively (TIOCEXCL against other users, an flock against a second open by
// anyone, root included) and put in raw mode. When the device cannot be opened the result holds the open's own
// errno; a device held by someone else, through either lock, gives EBUSY. Anything else that opens (a regular file,
// /dev/null) comes back as a device that is not a serial device.
TSerialOpenResult OpenPosixSerialDevice(const std::string &portName);
