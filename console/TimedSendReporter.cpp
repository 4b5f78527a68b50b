#include "console/TimedSendReporter.h"

void TTimedSendReporter::Report(TSendResult result)
{
    if (FBoxOpen) {
        if (result == TSendResult::Sent) {
            FRecovered = true;
        } else if (FRecovered || result != FShown) {
            if (!FPending)
                FPending = result;
            FRecovered = false;
        }
        return;
    }
    if (result == TSendResult::Sent)
        return;
    struct TOpenBox {
        bool &Open;
        ~TOpenBox() { Open = false; }
    };
    std::optional<TSendResult> next = result;
    while (next) {
        FBoxOpen = true;
        TOpenBox box { FBoxOpen };
        FShown = *next;
        FRecovered = false;
        FPending.reset();
        ReportSendResult(FShown); // returns when the user closes the box; ticks arrive here meanwhile
        next = FPending;
    }
}
