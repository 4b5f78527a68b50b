// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

// Watches for a vanished serial device to come back, so that the port can be opened again with the same settings.
// The caller polls (a timer) and opens the port when told; the device counts as back when `present` says its path
// exists again. An attempt that fails (the path is back but the device is not ready) is simply repeated at the next
// poll. Used on the user-interface thread only.
//
// A device that has a by-id link (its identity: maker, product, serial number) when it is opened is awaited by that
// identity instead: it counts as back when its link leads to a device again, whatever kernel name the device has
// now (ttyUSB0 before, ttyUSB1 after the replug), and Target names that device.
class TReconnectWatch
{
public:
    explicit TReconnectWatch(std::function<bool(const std::string &path)> present);

    // Where the by-id links are; /dev/serial/by-id unless set.
    void SetByIdFolder(std::string folder) { FByIdFolder = std::move(folder); }

    // The port opened the device at path: remembers its identity, if it has one.
    void Opened(const std::string &path);
    // The open device at path vanished: from now on wait for it.
    void Lost(std::string path);
    // Stops waiting (the user opened or closed the port, or turned the option off).
    void Cancel();
    bool Waiting() const { return FWaiting; }
    const std::string &Path() const { return FPath; }
    // The by-id link awaited, or empty when the device is awaited by its path.
    const std::string &Identity() const { return FWaitingIdentity; }

    // One poll while waiting: true when the caller should try to open the port now.
    bool Poll() const;
    // The device path to open now: the one the identity leads to, else the lost path.
    std::string Target() const;
    // The result of the caller's attempt: success ends the wait.
    void Attempted(bool opened);

private:
    std::function<bool(const std::string &)> FPresent;
    std::string FByIdFolder;
    std::string FOpenedPath;
    std::string FOpenedIdentity;
    std::string FPath;
    std::string FWaitingIdentity;
    bool FWaiting = false;
};

// Whether a device path exists now (a symbolic link counts only when what it points to exists). A remote port
// ("rfc2217://", "tcp://") always counts: only connecting can tell whether its server is back.
bool DevicePresent(const std::string &path);
