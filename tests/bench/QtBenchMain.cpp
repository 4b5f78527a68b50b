// SPDX-License-Identifier: GPL-3.0-or-later
// Entry point for benchmarks that need a QApplication (widgets, painting, timers). The platform defaults to offscreen
// so that they run without an X server.
#include <QApplication>
#include <benchmark/benchmark.h>
#include <stdlib.h>

int main(int argc, char **argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0); // a platform set by the caller stays
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
