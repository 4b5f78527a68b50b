#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# History window with a large txt.txt: a 50 MB history of about 2 million lines (and a 5 MB one for comparison)
# opened from the main window's "历史数据". Prints the time to open the window, the peak memory, the accessibility
# events raised, and the answer time of scrolling, a second opening, a delete and handing an entry to the send box.
# Targets: open within 0.5 s whatever the size; memory close to the file's size.
#
# Usage: tests/bench/history_bench.sh [BUILD_DIR]   (default: build-bench, configured here when missing)
# The window is drawn on the offscreen platform unless DISPLAY names an X server and QT_QPA_PLATFORM is unset.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-bench}
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVARA_TESTS=ON -DKELVARA_BENCH=ON >/dev/null
fi
ninja -C "$build" history_bench >/dev/null
[ -n "${DISPLAY:-}" ] || export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

for mb in 5 50; do
    "$build/bin/history_bench" --megabytes "$mb"
done
