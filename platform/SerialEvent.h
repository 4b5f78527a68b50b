// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <initializer_list>

// A manual-reset event that threads set and wait for, and that can be waited for together with file descriptors
// (it is an eventfd). Once set it stays set until Reset. Set, Reset and IsSet may be called from any thread, but
// a Set and a Reset must not race each other (callers that use both hold a lock around them). IsSet costs no
// system call.
class TSerialEvent
{
public:
    explicit TSerialEvent(bool signalled = false);
    ~TSerialEvent();
    TSerialEvent(const TSerialEvent &) = delete;
    TSerialEvent &operator=(const TSerialEvent &) = delete;

    // False when the system refused to create the event.
    bool Valid() const { return FFd >= 0; }
    void Set();
    void Reset();
    bool IsSet() const;
    int Fd() const { return FFd; }

private:
    int FFd = -1;
    std::atomic<bool> FSet;
};

constexpr int SerialWaitTimeout = -2;

// Waits until one of the events is set and returns the lowest index among those set; SerialWaitTimeout when
// timeoutMs (negative: no limit) passed first, -1 when waiting failed.
int WaitForSerialEvents(std::initializer_list<const TSerialEvent *> events, int timeoutMs = -1);
