#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes PNG pictures of the main window with the data panel folded and unfolded (and with the port information
# panel shown), taken on a private X desktop
# (Xvfb, openbox, tray host). Usage: scripts/screenshots.sh [OUTPUT_DIR]   (default: build/screenshots)
# The program is built in build/ (or in $KELVARA_BUILD_DIR) when needed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KELVARA_BUILD_DIR:-$root/build}
out=${1:-$root/build/screenshots}
mkdir -p "$out"
out=$(cd "$out" && pwd)

if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
ninja -C "$build" kelvara >/dev/null

eval "$(bash "$root/tests/e2e/xsession.sh" start)"
log=$(mktemp)
pid=""
cleanup() {
    if [ -n "$pid" ]; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    bash "$root/tests/e2e/xsession.sh" stop
    rm -f "$log"
}
trap cleanup EXIT

KELVARA_REPORT_SHOWN=1 "$build/bin/kelvara" 2>"$log" &
pid=$!
for _ in $(seq 150); do grep -q '^kelvara-shown ' "$log" && break; sleep 0.1; done
grep -q '^kelvara-shown ' "$log" || { echo "the main window did not appear" >&2; cat "$log" >&2; exit 1; }

window=""
for w in $(xdotool search --name '^Kelvara$'); do
    if xwininfo -id "$w" | grep -q 'Width: 860' && xwininfo -id "$w" | grep -q 'IsViewable'; then
        window=$w
        break
    fi
done
[ -n "$window" ] || { echo "no main window found" >&2; exit 1; }
xdotool windowactivate --sync "$window" mousemove 0 0
sleep 0.5
import -window "$window" "$out/main-folded.png"

# The fold/unfold button spans the bottom 30 pixels of the window while the panel is folded.
xdotool mousemove --window "$window" 430 440 click 1 mousemove 0 0
sleep 1
import -window "$window" "$out/main-unfolded.png"

# "显示串口信息" shows the port information panel while the pointer stays on the button.
xdotool mousemove --window "$window" 427 22 click 1
sleep 0.5
import -window "$window" "$out/main-port-info.png"

echo "$out/main-folded.png"
echo "$out/main-unfolded.png"
echo "$out/main-port-info.png"
