// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/bench/ConsoleBench.h"

#include "comm/SerialComm.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

TBenchConsole::TBenchConsole()
{
    Form.SetWindows({ .Form7 = &Floating });
    TComm &comm = *Form.Comm1;
    comm.OnReceiveData = [this, takeIn = comm.OnReceiveData](TComm *sender, const char *buffer, uint16_t length) {
        auto start = std::chrono::steady_clock::now();
        Received += length;
        ++Chunks;
        takeIn(sender, buffer, length);
        WorstChunkMs = std::max(
            WorstChunkMs, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        if (AfterChunk)
            AfterChunk();
    };
}

bool TBenchConsole::ShowAndOpen()
{
    Form.show();
    Form.SpeedButton1Click(); // unfold the data panel: the main receive pane on screen
    Floating.show();
    if (!Pty.Valid()) {
        std::fprintf(stderr, "no pseudo-terminal\n");
        return false;
    }
    Form.Comm1->SetCommName(Pty.SlavePath);
    Form.Comm1->SetBaudRate(115200);
    // As "流控制" "无" opens it: binary data holds the X-on and X-off bytes.
    Form.Comm1->SetOutx_XonXoffFlow(false);
    Form.Comm1->SetInx_XonXoffFlow(false);
    Form.Comm1->OpenPort();
    return true;
}
