// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

// Watches for a vanished serial device to come back, so that the port can be opened again with the same settings.
// The caller polls (a timer) and opens the port when told; the device counts as back when `present` says its path
// exists again. An attempt that fails (the path is back but the device is not ready) is simply repeated at the next
// poll. Used on the user-interface thread only.
class TReconnectWatch
{
public:
    explicit TReconnectWatch(std::function<bool(const std::string &path)> present);

    // The open device at path vanished: from now on wait for it.
    void Lost(std::string path);
    // Stops waiting (the user opened or closed the port, or turned the option off).
    void Cancel();
    bool Waiting() const { return FWaiting; }
    const std::string &Path() const { return FPath; }

    // One poll while waiting: true when the caller should try to open the port now.
    bool Poll() const;
    // The result of the caller's attempt: success ends the wait.
    void Attempted(bool opened);

private:
    std::function<bool(const std::string &)> FPresent;
    std::string FPath;
    bool FWaiting = false;
};

// Whether a device path exists now (a symbolic link counts only when what it points to exists).
bool DevicePresent(const std::string &path);
