// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/port/ReconnectWatch.h"

#include "platform/RemotePortName.h"
#include "platform/SerialPortList.h"

#include <sys/stat.h>

TReconnectWatch::TReconnectWatch(std::function<bool(const std::string &path)> present)
    : FPresent(std::move(present))
    , FByIdFolder(TSerialPortRoots {}.ById)
{
}

void TReconnectWatch::Opened(const std::string &path)
{
    FOpenedPath = path;
    TSerialPortRoots roots;
    roots.ById = FByIdFolder;
    FOpenedIdentity = IsRemotePortName(path) ? std::string() : ByIdLinkOf(path, roots);
    // A port named by its by-id link is awaited by that path anyway.
    if (FOpenedIdentity == path)
        FOpenedIdentity.clear();
}

void TReconnectWatch::Lost(std::string path)
{
    FWaitingIdentity = path == FOpenedPath ? FOpenedIdentity : std::string();
    FPath = std::move(path);
    FWaiting = true;
}

void TReconnectWatch::Cancel()
{
    FWaiting = false;
}

bool TReconnectWatch::Poll() const
{
    if (!FWaiting)
        return false;
    if (!FWaitingIdentity.empty())
        return !DeviceOfByIdLink(FWaitingIdentity).empty();
    return FPresent(FPath);
}

std::string TReconnectWatch::Target() const
{
    if (!FWaitingIdentity.empty()) {
        if (std::string device = DeviceOfByIdLink(FWaitingIdentity); !device.empty())
            return device;
    }
    return FPath;
}

void TReconnectWatch::Attempted(bool opened)
{
    if (opened) {
        FWaiting = false;
        FOpenedPath = Target();
        FOpenedIdentity = FWaitingIdentity;
    }
}

bool DevicePresent(const std::string &path)
{
    if (IsRemotePortName(path))
        return true;
    struct stat info {
    };
    return ::stat(path.c_str(), &info) == 0;
}
