// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SerialDevice.h"

#include <QEvent>
#include <cstdint>
#include <memory>
#include <vector>

// One notification on its way from a worker to the notification window. A block of received bytes travels inside
// the message and is released with it, whether it was dispatched or dropped with a destroyed window.
class TNotifyMessage : public QEvent
{
public:
    TNotifyMessage(unsigned code, uint32_t wParam, uint32_t lParam, std::unique_ptr<char[]> block,
        std::vector<TReadRun> runs = {});

    unsigned Code() const { return static_cast<unsigned>(type()); }
    uint32_t WParam() const { return FWParam; }
    uint32_t LParam() const { return FLParam; }
    const char *Block() const { return FBlock.get(); }
    // The runs the received block arrived in (TReadRun::End counts the block's bytes).
    const std::vector<TReadRun> &Runs() const { return FRuns; }
    // The opening of the port whose worker posted it.
    uint32_t Session() const { return FSession; }
    void SetSession(uint32_t session) { FSession = session; }

private:
    uint32_t FSession = 0;
    uint32_t FWParam;
    uint32_t FLParam;
    std::unique_ptr<char[]> FBlock;
    std::vector<TReadRun> FRuns;
};
