#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Program CPU benchmark: the real program on a private X desktop (Xvfb, openbox, tray host) with a pty as its device,
# the port opened with "打开串口" as a user would. Prints the share of one core the program uses (utime + stime from
# /proc/PID/stat over the measured seconds) in each case:
#   idle      port open, nothing arriving                                  (target below 0.3 %)
#   92 KB/s   integer lines, chart plus the floating window's receive pane (target below 3 %)
#   92 KB/s   integer lines, data panel unfolded: the main receive pane and what is left of the chart
#   demo      the demo device, 75 samples a second, the chart scrolling   (target below 3 %)
#
# Usage: tests/bench/program_cpu_bench.sh [BUILD_DIR]   (default: build-bench, configured here when missing)
# KELVARA_BENCH_IDLE_SECONDS (default 60) and KELVARA_BENCH_LOAD_SECONDS (default 30) set the measured times;
# KELVARA_BENCH_CASES picks cases by name (any of idle float unfolded demo, separated by blanks; default all);
# KELVARA_BENCH_THREADS=1 adds each thread's CPU ticks and context switches a second; KELVARA_BENCH_PERF=FILE records
# a call-graph profile of the program (perf, dwarf unwinding) into FILE.CASE for each case measured.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-bench}
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVARA_TESTS=ON -DKELVARA_BENCH=ON >/dev/null
fi
ninja -C "$build" kelvara kelvara-demo-device pty_line_feed >/dev/null
idle_seconds=${KELVARA_BENCH_IDLE_SECONDS:-60}
load_seconds=${KELVARA_BENCH_LOAD_SECONDS:-30}

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

ticks_of() { # utime + stime of a process, in clock ticks
    sed 's/^.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'
}

threads_of() { # one line a thread: id, CPU ticks, voluntary + involuntary context switches
    local task
    for task in /proc/"$1"/task/*; do
        echo "${task##*/} $(sed 's/^.*) //' "$task/stat" | awk '{ print $12 + $13 }') $(awk \
            '/ctxt_switches/ { n += $2 } END { print n }' "$task/status")"
    done
}

click() { # click at a point of the main window's client area
    xdotool mousemove --sync $((main_x + $1)) $((main_y + $2)) click 1
    sleep 0.3
}

# run_case KEY LABEL SECONDS LAYOUT DEVICE-COMMAND...   LAYOUT: chart | float | unfolded
run_case() {
    local label_key=$1 label=$2 seconds=$3 layout=$4
    shift 4
    case " ${KELVARA_BENCH_CASES:-idle float unfolded demo} " in *" $label_key "*) ;; *) return 0 ;; esac
    rm -rf "$work/config" "$work/tty"
    mkdir -p "$work/config"
    "$@" >/dev/null &
    local device=$!
    pids+=("$device")
    for _ in $(seq 100); do [ -e "$work/tty" ] && break; sleep 0.05; done
    "$build/bin/kelvara" --config-dir "$work/config" --port "$work/tty" >/dev/null 2>&1 &
    local program=$!
    pids+=("$program")
    local window info
    timeout 20 xdotool search --sync --onlyvisible --pid "$program" --name '^Kelvara$' >/dev/null
    sleep 0.5
    for window in $(xdotool search --onlyvisible --pid "$program" --name '^Kelvara$'); do
        info=$(xwininfo -id "$window")
        grep -q 'Width: 860$' <<<"$info" && break # the main window; the companion strip has the same title
    done
    main_x=$(awk '/Absolute upper-left X/ { print $NF }' <<<"$info")
    main_y=$(awk '/Absolute upper-left Y/ { print $NF }' <<<"$info")
    click 45 20 # 打开串口
    local box
    box=$(timeout 10 xdotool search --sync --onlyvisible --pid "$program" --name '^提示$' | head -n1)
    xdotool windowactivate --sync "$box" key Return
    sleep 0.3
    if ! ls -l "/proc/$program/fd" | grep -q "$(readlink "$work/tty")"; then
        echo "$label: the port did not open" >&2
        return 1
    fi
    case $layout in
    float) click 530 22; sleep 1; click 287 150 ;; # 显示数据面板, then 悬浮窗体 in the unfolded panel
    unfolded) click 530 22 ;;
    esac
    sleep 3
    local t0 t1
    t0=$(ticks_of "$program")
    local threads0
    threads0=$(threads_of "$program")
    if [ -n "${KELVARA_BENCH_PERF:-}" ]; then
        perf record -q -F 499 --call-graph dwarf,16384 -o "$KELVARA_BENCH_PERF.$label_key" -p "$program" \
            -- sleep "$seconds" 2>/dev/null
    else
        sleep "$seconds"
    fi
    t1=$(ticks_of "$program")
    if [ -n "${KELVARA_BENCH_THREADS:-}" ]; then # per thread: CPU ticks and wake-ups a second over the measured time
        join <(echo "$threads0" | sort) <(threads_of "$program" | sort) | awk -v s="$seconds" \
            '{ printf "    thread %-8s %5d ticks %8.1f switches/s\n", $1, $4 - $2, ($5 - $3) / s }'
    fi
    awk -v t="$((t1 - t0))" -v hz="$(getconf CLK_TCK)" -v s="$seconds" -v l="$label" \
        'BEGIN { printf "%-52s %6.2f %% of a core (%.2f s of CPU in %d s)\n", l, t / hz / s * 100, t / hz, s }'
    kill "$program" "$device"
    wait "$program" "$device" 2>/dev/null || true
}

echo "program CPU benchmark ($(nproc) cores, X desktop $DISPLAY)"
run_case idle "idle, port open, nothing arriving" "$idle_seconds" chart \
    "$build/bin/pty_line_feed" --link "$work/tty" --rate 0
run_case float "92 KB/s integer lines, chart + floating pane" "$load_seconds" float \
    "$build/bin/pty_line_feed" --link "$work/tty" --rate 92000
run_case unfolded "92 KB/s integer lines, data panel unfolded" "$load_seconds" unfolded \
    "$build/bin/pty_line_feed" --link "$work/tty" --rate 92000
run_case demo "demo device, 75 samples a second, chart" "$load_seconds" chart \
    "$build/bin/kelvara-demo-device" --link "$work/tty"
