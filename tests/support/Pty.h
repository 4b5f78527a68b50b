// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <string>

// A pseudo-terminal standing in for a serial device: the code under test opens SlavePath, the test plays the device
// on the master side.
class TPty
{
public:
    // Fresh: the line as the kernel makes it (line mode, echo), for tests of what opening the port changes.
    // Raw: no echo or translation from the start, for tests that only need bytes to pass.
    enum TMode { Fresh, Raw };

    explicit TPty(TMode mode = Fresh);
    ~TPty();
    TPty(const TPty &) = delete;
    TPty &operator=(const TPty &) = delete;

    bool Valid() const { return FMaster >= 0 && !SlavePath.empty(); }
    int Master() const { return FMaster; }

    // Writes all of `bytes`, waiting while the pty's buffer is full; stops early only when the master fails.
    void Write(const std::string &bytes) const;
    // Reads until `wanted` bytes arrived or none came for `quiet`; a zero `quiet` takes only what is there now.
    std::string Read(std::size_t wanted, std::chrono::milliseconds quiet = std::chrono::seconds(3)) const;
    // Reads until `wanted` bytes arrived or `limit` passed, also while no one has the slave open (the master then
    // reports a hang-up, which ends a plain Read at once): for a device that a server opens a little later.
    std::string ReadWithin(std::size_t wanted, std::chrono::milliseconds limit) const;
    // The device goes away: the other side sees a hang-up.
    void CloseMaster();

    std::string SlavePath;

private:
    int FMaster = -1;
};
