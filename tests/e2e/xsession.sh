#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts a private X desktop for end-to-end tests: Xvfb on a free display, a session D-Bus, openbox and a tray host.
# Usage: eval "$(tests/e2e/xsession.sh start)"   -> exports DISPLAY, DBUS_SESSION_BUS_ADDRESS, XSESSION_PIDS
#        tests/e2e/xsession.sh tray              -> starts another tray host on $DISPLAY, prints its process id
#        tests/e2e/xsession.sh stop              -> ends the processes named in XSESSION_PIDS
set -euo pipefail
start_tray() {
    trayer --edge top --align right --widthtype request --height 24 >/dev/null 2>&1 &
}
case "${1:-}" in
start)
    fdfile=$(mktemp)
    Xvfb -displayfd 1 -screen 0 1280x800x24 -nolisten tcp -noreset >"$fdfile" 2>/dev/null &
    xpid=$!
    # Polls for the display number, the window manager and its first client below, up to 10 s each.
    for _ in $(seq 200); do [ -s "$fdfile" ] && break; sleep 0.05; done
    display=":$(head -n1 "$fdfile")"
    rm -f "$fdfile"
    if [ "$display" = ":" ]; then
        kill "$xpid" 2>/dev/null || true
        echo "Xvfb reported no display within 10 s" >&2
        echo "export DISPLAY=: XSESSION_PIDS=''"
        exit 1
    fi
    export DISPLAY=$display
    bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1 --nosyslog | tr '\n' ' ')
    busaddr=${bus%% *}
    buspid=$(echo "$bus" | awk '{print $2}')
    DBUS_SESSION_BUS_ADDRESS=$busaddr openbox >/dev/null 2>&1 &
    obpid=$!
    DBUS_SESSION_BUS_ADDRESS=$busaddr start_tray
    trpid=$!
    # Ready once the window manager has announced itself on the root window and manages the tray host's window (the
    # host's only client at this point); a fixed pause lost that race on a busy machine.
    ready=0
    for _ in $(seq 200); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' \
            && xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -q 'window id' && ready=1 && break
        sleep 0.05
    done
    [ $ready = 1 ] || echo "the window manager did not manage the tray host's window within 10 s" >&2
    echo "export DISPLAY=$display DBUS_SESSION_BUS_ADDRESS=$busaddr XSESSION_PIDS='$trpid $obpid $buspid $xpid'"
    [ $ready = 1 ]
    ;;
tray)
    start_tray
    echo $!
    ;;
stop)
    for p in ${XSESSION_PIDS:-}; do kill "$p" 2>/dev/null || true; done
    ;;
*)
    echo "usage: $0 start|tray|stop" >&2
    exit 2
    ;;
esac
