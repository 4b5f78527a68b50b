// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/send/TimedSendReporter.h"

void TTimedSendReporter::Report(TSendResult result, const std::function<void()> &stop, bool deviceLost)
{
    if (result == TSendResult::Sent)
        return;
    stop();
    if (FBoxOpen || (deviceLost && result == TSendResult::SendFailed))
        return;
    struct TOpenBox {
        bool &Open;
        ~TOpenBox() { Open = false; }
    };
    FBoxOpen = true;
    TOpenBox box { FBoxOpen };
    ReportSendResult(result); // returns when the user closes the box
}
