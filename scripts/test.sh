#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what the tests need, checks formatting, builds warning-free and runs every test: the normal build
# (unit, widget and desktop end-to-end tests), an AddressSanitizer + UndefinedBehaviorSanitizer build, a
# ThreadSanitizer build of the serial engine's tests, and a short run of each fuzz target.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh test

jobs=$(nproc)
# Compiler cache in the user's cache folder: paths are taken relative to the checkout, so a fresh clone elsewhere
# reuses what an earlier run compiled.
launcher=()
if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1 CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-20G}
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
step() { printf '\n=== %s ===\n' "$*"; }

step "format"
mapfile -t sources < <(git ls-files '*.cpp' '*.h' 2>/dev/null || find . -name '*.cpp' -o -name '*.h' | grep -v '^./build')
if [ ${#sources[@]} -gt 0 ]; then
    clang-format --dry-run -Werror "${sources[@]}"
fi

step "layering"
bash scripts/check_layering.sh

step "build (warnings are errors)"
# The options are forced: scripts/run.sh configures the same folder with the tests off.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVARA_WERROR=ON -DKELVARA_TESTS=ON -DKELVARA_BENCH=ON \
    "${launcher[@]}" >/dev/null
ninja -C build -j "$jobs"

step "sanitizer builds"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKELVARA_SANITIZE=address,undefined -DKELVARA_BENCH=OFF \
    -DKELVARA_TESTS=ON -DKELVARA_WERROR=ON "${launcher[@]}" >/dev/null
ninja -C build-asan -j "$jobs"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKELVARA_SANITIZE=thread -DKELVARA_BENCH=OFF \
    -DKELVARA_TESTS=ON -DKELVARA_WERROR=ON "${launcher[@]}" >/dev/null
ninja -C build-tsan -j "$jobs" comm_tests 2>/dev/null || ninja -C build-tsan -j "$jobs"

export KELVARA_NO_PORT_PROBE=1
status=0
step "fuzz targets (short runs)"
if [ -d tests/fuzz ] && [ -f tests/fuzz/CMakeLists.txt ]; then
    CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVARA_FUZZ=ON \
        -DKELVARA_TESTS=ON -DKELVARA_BENCH=OFF "${launcher[@]}" >/dev/null
    ninja -C build-fuzz -j "$jobs" fuzz_targets
    for target in build-fuzz/bin/fuzz_*; do
        [ -x "$target" ] || continue
        echo "fuzzing $(basename "$target")"
        "$target" -max_total_time=20 -rss_limit_mb=2048 -artifact_prefix=build-fuzz/ >"$target.log" 2>&1 || { tail -30 "$target.log"; status=1; }
    done
fi

step "tests under AddressSanitizer and UndefinedBehaviorSanitizer"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$root/tests/support/lsan.supp \
    ctest -j "$jobs" --no-tests=error --output-on-failure -LE 'e2e|bench') || status=1

step "serial engine tests under ThreadSanitizer"
(cd build-tsan && TSAN_OPTIONS=halt_on_error=1 ctest -j "$jobs" --no-tests=error --output-on-failure -L comm) || status=1

step "all tests"
(cd build && ctest -j "$jobs" --no-tests=error --output-on-failure) || status=1
exit $status
