#pragma once

#include "console/SendLogic.h"

#include <optional>

// Reports the results of timed sends without piling up message boxes. A message box keeps the event loop, and so the
// send timer, running: while a box from an earlier tick is open, a failing tick opens no box of its own. A failure
// that begins while the box is open (after a tick that went well, or with another message) is not lost: one box
// reports it after the open one is closed.
class TTimedSendReporter
{
public:
    void Report(TSendResult result);

    bool BoxOpen() const { return FBoxOpen; }

private:
    bool FBoxOpen = false;
    TSendResult FShown = TSendResult::Sent;
    bool FRecovered = false;
    std::optional<TSendResult> FPending;
};
