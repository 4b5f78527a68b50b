// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// A pseudo-terminal that plays a serial device for programs that open it by a symbolic link: the master side is
// this process's end, raw and non-blocking; the device is the terminal's slave path. Used on one thread.
class TDevicePty
{
public:
    TDevicePty() = default;
    TDevicePty(const TDevicePty &) = delete;
    TDevicePty &operator=(const TDevicePty &) = delete;
    // Removes the link if it still points at the device, and closes the master.
    ~TDevicePty();

    // Creates the pseudo-terminal. False with the reason in `error` when there is none.
    bool Open(std::string &error);
    // Points `link` at the device; an existing link is replaced, anything else at that path is left alone (false
    // with the reason in `error`).
    bool Link(const std::string &link, std::string &error);

    // Reads and drops whatever the program sent. True while a program has the device open: once the device has been
    // opened and closed, the master reports a hang-up whenever nobody holds it.
    bool DropInputAndListen();

    int Master() const { return FMaster; }
    const std::string &Device() const { return FDevice; }

private:
    int FMaster = -1;
    std::string FDevice;
    std::string FLink;
};
