// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

// The device path of a port name: "COMn" in any letter case means /dev/ttyS{n-1}; a name that begins with '/' is a
// device path used as it is; anything else is returned unchanged (and will fail to open).
std::string SerialDevicePath(std::string_view portName);
