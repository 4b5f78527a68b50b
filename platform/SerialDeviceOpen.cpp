// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SerialDeviceOpen.h"

#include "platform/NetworkSerialDevice.h"
#include "platform/RemotePortName.h"
#include "platform/SerialPosix.h"

TSerialOpenResult OpenSerialDevice(const std::string &portName)
{
    if (IsRemotePortName(portName))
        return OpenNetworkSerialDevice(portName);
    return OpenPosixSerialDevice(portName);
}
