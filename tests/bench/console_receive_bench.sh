#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Receive benchmark of the serial console: 10 MB and 50 MB of integer lines (seven bytes each) and of text lines
# through a pseudo-terminal into the real main window (its serial component, both receive panes on screen, PlotQueue,
# plot feed onto the chart). Prints, per run: time until everything was taken in, CPU seconds, how long the event loop took to answer
# (median, 99th percentile, worst), memory growth per received byte, CPU while idle with the port open, and the cost
# of taking a line off the PlotQueue with a long and a short backlog.
# Targets: 10 MB/s of integer lines; answer median under 30 ms and worst under 100 ms; at most 4 bytes of memory per
# received byte; idle CPU under 1 %.
#
# Usage: tests/bench/console_receive_bench.sh [BUILD_DIR]   (default: build-bench, configured here when missing)
# The panes are drawn on the offscreen platform unless DISPLAY names an X server and QT_QPA_PLATFORM is unset.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-bench}
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVARA_TESTS=ON -DKELVARA_BENCH=ON >/dev/null
fi
ninja -C "$build" console_receive_bench >/dev/null
[ -n "${DISPLAY:-}" ] || export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

echo "console receive benchmark ($(nproc) cores, Qt platform ${QT_QPA_PLATFORM:-xcb})"
for lines in integer text; do
    for mb in 10 50; do
        "$build/bin/console_receive_bench" --megabytes "$mb" --lines "$lines"
    done
done
