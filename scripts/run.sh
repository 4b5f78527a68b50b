#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what the program needs, builds it and starts it. With no X display (DISPLAY unset) it starts a headless
# desktop first (Xvfb with a window manager and a tray host) on display :99; see the README for screenshots.
# A demo serial device (a pty sending a waveform and some text) is started and setfile.ini points at it unless
# setfile.ini already names another port; pass --no-demo to skip it, or --demo labelled / --demo binary for named
# values or binary frames instead of integer lines.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

usage() {
    cat <<'EOF'
usage: scripts/run.sh [--no-demo | --demo numbers|labelled|binary | --help]
Installs the packages the program needs, builds it in build/ and starts it (on a headless X display :99 when
DISPLAY is unset), with the demo serial device at /tmp/kelvara-demo-tty.
  --no-demo                    no demo device: real hardware only
  --demo numbers|labelled|binary
                               what the demo device sends: integer lines (the default), named values or binary frames
  --help                       show this text and do nothing else
EOF
}

demo=1
demo_format=numbers
case "${1:-}" in
"") ;;
--help | -h)
    usage
    exit 0
    ;;
--no-demo) demo=0 ;;
--demo)
    demo_format=${2:-}
    case "$demo_format" in
    numbers | labelled | binary) ;;
    *)
        usage >&2
        exit 2
        ;;
    esac
    ;;
*)
    usage >&2
    exit 2
    ;;
esac

bash scripts/setup.sh run

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVARA_TESTS=OFF >/dev/null
ninja -C build kelvara $( [ -f tools/CMakeLists.txt ] && echo kelvara-demo-device )
bin="$root/build/bin"
[ -f "$bin/txt.txt" ] || : >"$bin/txt.txt"

pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; }
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
    export DISPLAY=:99
    if ! xdpyinfo >/dev/null 2>&1; then
        Xvfb :99 -screen 0 1280x800x24 -nolisten tcp >/tmp/kelvara-xvfb.log 2>&1 &
        pids+=($!)
        for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
        openbox >/dev/null 2>&1 &
        pids+=($!)
        trayer --edge top --align right --widthtype request --height 24 >/dev/null 2>&1 &
        pids+=($!)
    fi
    echo "No screen: running on the headless display :99 (screenshot: DISPLAY=:99 import -window root shot.png)"
fi

if [ $demo -eq 1 ] && [ -x "$bin/kelvara-demo-device" ]; then
    "$bin/kelvara-demo-device" --link /tmp/kelvara-demo-tty --setfile "$bin/setfile.ini" --format "$demo_format" &
    pids+=($!)
    # The device makes its link last, once the settings file is written.
    for _ in $(seq 50); do [ -L /tmp/kelvara-demo-tty ] && break; sleep 0.1; done
fi

"$bin/kelvara"
