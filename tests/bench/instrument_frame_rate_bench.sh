#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Instrument frame rate benchmark: 10 000 two-channel lines a second for 10 s through a pseudo-terminal into the real
# main window, once with the chart's instruments off and once with all four on (trigger, "测量", "XY 图", "频谱").
# Prints, per run, the chart's frames per second, how far the newest point lags behind now and how long the event
# loop takes to answer, then the ratio of the frame rates. Target: the frame rate unchanged with the instruments on.
#
# Usage: tests/bench/instrument_frame_rate_bench.sh [BUILD_DIR]   (default: build-bench, configured here when missing)
# The windows are drawn on the offscreen platform unless DISPLAY names an X server and QT_QPA_PLATFORM is unset.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-bench}
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVARA_TESTS=ON -DKELVARA_BENCH=ON >/dev/null
fi
ninja -C "$build" instrument_frame_rate_bench >/dev/null
[ -n "${DISPLAY:-}" ] || export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

echo "instrument frame rate benchmark ($(nproc) cores, Qt platform ${QT_QPA_PLATFORM:-xcb})"
"$build/bin/instrument_frame_rate_bench" --rate 10000 --seconds 10
