// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/port/ReconnectWatch.h"

#include <sys/stat.h>

TReconnectWatch::TReconnectWatch(std::function<bool(const std::string &path)> present)
    : FPresent(std::move(present))
{
}

void TReconnectWatch::Lost(std::string path)
{
    FPath = std::move(path);
    FWaiting = true;
}

void TReconnectWatch::Cancel()
{
    FWaiting = false;
}

bool TReconnectWatch::Poll() const
{
    return FWaiting && FPresent(FPath);
}

void TReconnectWatch::Attempted(bool opened)
{
    if (opened)
        FWaiting = false;
}

bool DevicePresent(const std::string &path)
{
    struct stat info {
    };
    return ::stat(path.c_str(), &info) == 0;
}
