// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// One copy of the program per user and desktop, whichever way each copy was started. The claim is an
// abstract-namespace local socket whose name holds the user id and the desktop: it needs no folder, so a copy started
// without $XDG_RUNTIME_DIR and one started with it meet on the same name. Where a runtime folder exists the claim
// also takes an exclusive flock() on $XDG_RUNTIME_DIR/<name>-<desktop>.lock, which still guards the desktop when the
// socket cannot be used (a sandbox with a network namespace of its own). Either way the kernel drops the claim the
// moment the holding process ends, killed or not, so a new copy can start at once after a crash.
//
// The claiming socket also listens: a new start that finds the claim taken connects to it, and each connection from
// the same user asks the running copy to bring its main window to the front.
class TSingleInstance
{
public:
    TSingleInstance() = default;
    TSingleInstance(const TSingleInstance &) = delete;
    TSingleInstance &operator=(const TSingleInstance &) = delete;
    ~TSingleInstance();

    // Claims `name` for this user and desktop. False only when another live process holds the claim; when the
    // system offers neither kind of claim the program runs unguarded rather than not at all.
    bool Acquire(const std::string &name);
    void Release();
    bool Held() const { return FSocket >= 0 || FLockFile >= 0; }

    // The socket on which new starts ask to be shown, ready to read when one waits; -1 when none is held.
    int RequestSocket() const { return FSocket; }
    // Takes the requests that wait on RequestSocket() without blocking: true when one of them came from this user.
    bool TakeShowRequests();

    // A new start's request to the copy that holds the claim on `name`: bring its main window to the front. Never
    // waits for the running copy. False when no running copy could be reached.
    static bool AskToShow(const std::string &name);

    // The desktop this process belongs to: the X display without its screen number (":0.0" and ":0" are one
    // desktop), else the Wayland display, else empty.
    static std::string DesktopName();

private:
    // Each answers false when another process holds its kind of claim; a kind the system cannot offer claims nothing
    // and refuses nothing.
    bool AcquireSocket(const std::string &name);
    bool AcquireLockFile(const std::string &name);

    int FSocket = -1;
    int FLockFile = -1;
};
