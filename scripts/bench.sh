#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the benchmarks and prints their figures: every executable build/bin/bench_* (Google Benchmark) and every
# script tests/bench/*.sh (given the build folder as its argument). Benchmarks print figures; they pass or fail
# nothing. Usage: scripts/bench.sh [BUILD_DIR]   (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
cd "$root"

# The options are forced: scripts/run.sh configures build/ with the tests (and so the benchmarks) off.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVARA_TESTS=ON -DKELVARA_BENCH=ON >/dev/null
ninja -C "$build" benchmarks

status=0
for bench in "$build"/bin/bench_*; do
    [ -x "$bench" ] || continue
    printf '\n=== %s ===\n' "$(basename "$bench")"
    "$bench" || status=1
done
for script in "$root"/tests/bench/*.sh; do
    [ -f "$script" ] || continue
    printf '\n=== %s ===\n' "$(basename "$script")"
    bash "$script" "$build" || status=1
done
exit $status
