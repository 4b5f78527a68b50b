#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Flood benchmark: the real program on a private X desktop (Xvfb, openbox, tray host) with a pty as its device, the
# port opened with "打开串口" as a user would, the data panel unfolded and the floating window shown (both receive
# panes and the chart). The device then writes 50 MiB of five-digit integer lines as fast as the terminal takes them.
# Prints: seconds from the feed's start until the program is quiet (no CPU tick for half a second: every line taken
# in and plotted), seconds after the feed's end, CPU seconds of the program over that time, and resident memory growth
# per received byte. Targets: quiet within 2 s of the feed's end, at most 1.5 s of CPU, at most 3 bytes per byte.
#
# Usage: tests/bench/flood_bench.sh [BUILD_DIR]   (default: build-bench, configured here when missing)
# KELVARA_BENCH_MEGABYTES (default 50) sets the flood's size; KELVARA_BENCH_PERF=FILE records a call-graph profile of
# the program (perf) over the flood into FILE.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-bench}
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVARA_TESTS=ON -DKELVARA_BENCH=ON >/dev/null
fi
ninja -C "$build" kelvara pty_line_feed >/dev/null
megabytes=${KELVARA_BENCH_MEGABYTES:-50}

unset QT_QPA_PLATFORM
eval "$("$root/tests/e2e/xsession.sh" start)"
work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    "$root/tests/e2e/xsession.sh" stop
    rm -rf "$work"
}
trap cleanup EXIT

ticks_of() { sed 's/^.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'; }
rss_of() { awk '/^VmRSS/ { print $2 * 1024 }' "/proc/$1/status"; }
click() {
    xdotool mousemove --sync $((main_x + $1)) $((main_y + $2)) click 1
    sleep 0.3
}

mkdir -p "$work/config"
"$build/bin/pty_line_feed" --link "$work/tty" --megabytes "$megabytes" >"$work/feed" &
device=$!
pids+=("$device")
for _ in $(seq 100); do [ -e "$work/tty" ] && break; sleep 0.05; done
"$build/bin/kelvara" --config-dir "$work/config" --port "$work/tty" >/dev/null 2>&1 &
program=$!
pids+=("$program")
timeout 20 xdotool search --sync --onlyvisible --pid "$program" --name '^Kelvara$' >/dev/null
sleep 0.5
for window in $(xdotool search --onlyvisible --pid "$program" --name '^Kelvara$'); do
    info=$(xwininfo -id "$window")
    grep -q 'Width: 860$' <<<"$info" && break # the main window; the companion strip has the same title
done
main_x=$(awk '/Absolute upper-left X/ { print $NF }' <<<"$info")
main_y=$(awk '/Absolute upper-left Y/ { print $NF }' <<<"$info")
click 45 20 # 打开串口
box=$(timeout 10 xdotool search --sync --onlyvisible --pid "$program" --name '^提示$' | head -n1)
xdotool windowactivate --sync "$box" key Return
sleep 0.3
if ! ls -l "/proc/$program/fd" | grep -q "$(readlink "$work/tty")"; then
    echo "the port did not open" >&2
    exit 1
fi
click 530 22 # 显示数据面板
sleep 1
click 287 150 # 悬浮窗体
sleep 3

ticks0=$(ticks_of "$program")
rss0=$(rss_of "$program")
if [ -n "${KELVARA_BENCH_PERF:-}" ]; then
    perf record -q -F 499 -g -o "$KELVARA_BENCH_PERF" -p "$program" >/dev/null 2>&1 &
    perf=$!
    pids+=("$perf")
    sleep 1
fi
kill -USR1 "$device"
for _ in $(seq 600); do grep -q '^start' "$work/feed" && break; sleep 0.05; done
# Quiet: half a second without a CPU tick once the feed has ended; the time of the last tick counts.
last_ticks=$(ticks_of "$program")
last_change=$(date +%s.%N)
deadline=$(($(date +%s) + 120))
while :; do
    if [ "$(date +%s)" -gt "$deadline" ]; then
        echo "the program was not quiet within 120 s of the feed's start" >&2
        exit 1
    fi
    sleep 0.05
    now=$(date +%s.%N)
    ticks=$(ticks_of "$program")
    if [ "$ticks" != "$last_ticks" ]; then
        last_ticks=$ticks
        last_change=$now
    elif grep -q '^end' "$work/feed" && awk -v a="$now" -v b="$last_change" 'BEGIN { exit !(a - b >= 0.5) }'; then
        break
    fi
done
rss1=$(rss_of "$program")
if [ -n "${KELVARA_BENCH_PERF:-}" ]; then kill -INT "$perf"; wait "$perf" 2>/dev/null || true; fi
start=$(awk '/^start/ { print $2 }' "$work/feed")
end=$(awk '/^end/ { print $2 }' "$work/feed")
bytes=$(awk -v m="$megabytes" 'BEGIN { printf "%d", m * 1048576 }')
echo "flood benchmark ($(nproc) cores, X desktop $DISPLAY, load: $(cut -d' ' -f1-3 /proc/loadavg))"
awk -v s="$start" -v e="$end" -v q="$last_change" -v t="$((last_ticks - ticks0))" -v hz="$(getconf CLK_TCK)" \
    -v r0="$rss0" -v r1="$rss1" -v b="$bytes" -v mb="$megabytes" 'BEGIN {
    printf "%g MiB of integer lines: fed in %.2f s, quiet %.2f s after the start (%.2f s after the end)\n", mb, e - s, q - s, q - e
    printf "  CPU %.2f s, memory %+.1f MB = %.2f bytes per received byte\n", t / hz, (r1 - r0) / 1e6, (r1 - r0) / b
}'
