// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The console benchmarks' harness: the real main window and floating window taking in what a pseudo-terminal
// delivers. The serial component (receive thread, notification window) reads the pty, and every chunk goes the
// program's own way: both receive panes, the PlotQueue, and the plot feed onto the chart.
#include "console/FloatForm.h"
#include "console/MainForm.h"
#include "tests/support/Pty.h"

#include <cstddef>
#include <functional>

class TBenchConsole
{
public:
    // The windows are made and joined, not yet shown, so that options can be set first.
    TBenchConsole();

    // Shows both windows with the data panel unfolded (the main receive pane on screen) and opens the port on the
    // pty at 115200 baud without X-on/X-off. False, with a message on standard error, when there is no pty.
    bool ShowAndOpen();

    TMainForm Form;
    TForm7 Floating;
    TPty Pty { TPty::Raw };

    // What the windows took in so far, counted on the user-interface thread: bytes (zero bytes included), chunks,
    // and the longest time one chunk took.
    std::size_t Received = 0;
    std::size_t Chunks = 0;
    double WorstChunkMs = 0;
    // Called after each chunk has been taken in.
    std::function<void()> AfterChunk;
};
