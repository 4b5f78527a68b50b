// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/StreamSerialDevice.h"

TStreamSerialDevice::TStreamSerialDevice(int fd)
    : FFd(fd)
{
}

bool TStreamSerialDevice::GetCommTimeouts(TCommTimeouts &timeouts)
{
    timeouts = Timeouts();
    return true;
}

bool TStreamSerialDevice::SetCommTimeouts(const TCommTimeouts &timeouts)
{
    std::lock_guard lock(FConfigLock);
    FTimeouts = timeouts;
    return true;
}

TCommTimeouts TStreamSerialDevice::Timeouts()
{
    std::lock_guard lock(FConfigLock);
    return FTimeouts;
}
