#pragma once

#include <string>

// One copy of the program per user and desktop. The claim is an abstract-namespace local socket whose name holds
// the user id and the display; the kernel drops it the moment the holding process ends, killed or not, so a new
// copy can start at once after a crash. Nothing touches the file system.
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
    bool Held() const { return FSocket >= 0; }

    // The desktop this process belongs to: the X display without its screen number (":0.0" and ":0" are one
    // desktop), else the Wayland display, else empty.
    static std::string DesktopName();

private:
    int FSocket = -1;
};
