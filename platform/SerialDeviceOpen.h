// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SerialDevice.h"

#include <string>

// Opens any port name the program takes: a remote name ("rfc2217://", "tcp://") over the network, everything else
// ("COMn", a device path) through the terminal driver.
TSerialOpenResult OpenSerialDevice(const std::string &portName);
