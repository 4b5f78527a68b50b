#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Chart lag benchmark: integer lines at 1000, 10 000 and 100 000 lines a second for 5 s through a pseudo-terminal into
# the real main window. Prints, per rate, how far the newest point lags behind now while the lines arrive (median,
# 99th percentile, worst), how long after the last line every line is on the chart, and how long the event loop takes
# to answer meanwhile; then 2000 labelled lines a second of four names and 10 000 binary frames a second of eight
# channels, 30 s each. Target: every line or frame plotted within half a second, at the time it arrived.
#
# Usage: tests/bench/chart_lag_bench.sh [BUILD_DIR]   (default: build-bench, configured here when missing)
# The windows are drawn on the offscreen platform unless DISPLAY names an X server and QT_QPA_PLATFORM is unset.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-bench}
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVARA_TESTS=ON -DKELVARA_BENCH=ON >/dev/null
fi
ninja -C "$build" chart_lag_bench >/dev/null
[ -n "${DISPLAY:-}" ] || export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

echo "chart lag benchmark ($(nproc) cores, Qt platform ${QT_QPA_PLATFORM:-xcb})"
status=0
for rate in 1000 10000 100000; do
    "$build/bin/chart_lag_bench" --rate "$rate" --seconds 5 || status=1
done
"$build/bin/chart_lag_bench" --format labelled --rate 2000 --seconds 30 || status=1
"$build/bin/chart_lag_bench" --format binary --rate 10000 --seconds 30 || status=1
exit $status
