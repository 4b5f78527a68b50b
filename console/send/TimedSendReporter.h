// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "console/send/SendLogic.h"

#include <functional>

// Reports the result of one timed-send tick. A failing tick (nothing to send, or the port refused the send) ends the
// timed send before its box is shown: the box runs the event loop, and a send timer that kept ticking would open the
// next box as soon as the user closed this one. A failure while a box is already open adds no box of its own, and
// neither does one whose port is about to report a lost device: that report is the one box the user sees.
class TTimedSendReporter
{
public:
    // `stop` stops the send timer and gives the button back its "定时发送" caption; it runs before the box shows.
    // `deviceLost`: the port refused the send because its device has gone, and its hang-up request is on its way.
    void Report(TSendResult result, const std::function<void()> &stop, bool deviceLost = false);

    bool BoxOpen() const { return FBoxOpen; }

private:
    bool FBoxOpen = false;
};
