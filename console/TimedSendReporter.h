#pragma once

#include "console/SendLogic.h"

#include <functional>

// Reports the result of one timed-send tick. A failing tick (nothing to send, or the port refused the send) ends the
// timed send before its box is shown: the box runs the event loop, and a send timer that kept ticking would open the
// next box as soon as the user closed this one. A failure while a box is already open adds no box of its own.
class TTimedSendReporter
{
public:
    // `stop` stops the send timer and gives the button back its "定时发送" caption; it runs before the box shows.
    void Report(TSendResult result, const std::function<void()> &stop);

    bool BoxOpen() const { return FBoxOpen; }

private:
    bool FBoxOpen = false;
};
