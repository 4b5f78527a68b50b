#pragma once

#include <optional>
#include <string>

// One copy of the program per user and desktop. The claim is an exclusive flock() on the file
// $XDG_RUNTIME_DIR/<name>-<desktop>.lock, in the user's private runtime folder; without a runtime folder it is an
// abstract-namespace local socket whose name holds the user id and the desktop. Either way the kernel drops the
// claim the moment the holding process ends, killed or not, so a new copy can start at once after a crash.
class TSingleInstance
{
public:
    TSingleInstance() = default;
    TSingleInstance(const TSingleInstance &) = delete;
    TSingleInstance &operator=(const TSingleInstance &) = delete;
    ~TSingleInstance();

    // Claims `name` for this user and desktop. False only when another live process holds the claim; when the
    // system offers no such socket the program runs unguarded rather than not at all.
    bool Acquire(const std::string &name);
    void Release();
    bool Held() const { return FHandle >= 0; }

    // The desktop this process belongs to: the X display without its screen number (":0.0" and ":0" are one
    // desktop), else the Wayland display, else empty.
    static std::string DesktopName();

private:
    // Each answers nothing when it cannot use its kind of claim at all.
    std::optional<bool> AcquireLockFile(const std::string &name);
    bool AcquireSocket(const std::string &name);

    int FHandle = -1; // the lock file or the socket
};
