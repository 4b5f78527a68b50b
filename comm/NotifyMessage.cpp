// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/NotifyMessage.h"

TNotifyMessage::TNotifyMessage(
    unsigned code, uint32_t wParam, uint32_t lParam, std::unique_ptr<char[]> block, std::vector<TReadRun> runs)
    : QEvent(static_cast<QEvent::Type>(code))
    , FWParam(wParam)
    , FLParam(lParam)
    , FBlock(std::move(block))
    , FRuns(std::move(runs))
{
}
