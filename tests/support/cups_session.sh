#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A private print server for tests that print for real: cupsd on a socket of its own, with one queue as the default
# printer that writes every job as a PDF file whose text pdftotext and pdfinfo can read (a file: device with the
# generic PDF driver). The system's own print server, queues and settings are not touched.
#
#   eval "$(tests/support/cups_session.sh start [DIR])"
#       Starts the server in DIR (default: a new temporary folder) and prints the variables to export:
#         CUPS_SERVER           the server's socket; Qt and the lp tools print there
#         CUPS_SESSION_DIR      the server's folder
#         CUPS_SESSION_PID      the cupsd process
#         CUPS_SESSION_PRINTER  the queue's name (the default printer)
#         CUPS_SESSION_OUTPUT   the PDF of the last finished job (each job replaces it)
#       It also unsets PRINTER and LPDEST, which would override the default printer.
#   tests/support/cups_session.sh wait [SECONDS]
#       Waits until no job is pending (default 30 s); exit status 1 on timeout.
#   tests/support/cups_session.sh nodefault
#       Removes the queue, so that there is no default printer at all.
#   tests/support/cups_session.sh undefault
#       Keeps the queue but no longer as the default printer: then there are queues and no default.
#   tests/support/cups_session.sh add NAME
#       Adds a queue NAME, not the default, that writes each job as $CUPS_SESSION_DIR/out/NAME.pdf.
#   tests/support/cups_session.sh remove NAME
#       Removes the queue NAME.
#   tests/support/cups_session.sh stop
#       Ends the server started by `start` (by its process id) and removes its folder.
# Needs cupsd, lpadmin and the cups-filters PDF driver (Debian: cups, cups-client, cups-filters), and root or a user
# that may run cupsd.
set -euo pipefail

ppd=/usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd
printer=kelvara-test

case "${1:-}" in
start)
    dir=${2:-$(mktemp -d /tmp/kelvara-cups.XXXXXX)}
    mkdir -p "$dir"/etc "$dir"/spool "$dir"/cache "$dir"/state "$dir"/log "$dir"/out "$dir"/tmp
    chmod 755 "$dir" "$dir"/out
    chmod 1777 "$dir"/tmp # filters run as an unprivileged user and need a place for temporary files
    cat >"$dir"/etc/cupsd.conf <<CONF
Listen $dir/cups.sock
LogLevel warn
WebInterface No
Browsing No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  JobPrivateAccess all
  JobPrivateValues none
  SubscriptionPrivateAccess all
  SubscriptionPrivateValues none
  <Limit All>
    Order deny,allow
    Allow all
  </Limit>
</Policy>
CONF
    cat >"$dir"/etc/cups-files.conf <<CONF
FileDevice Yes
ServerRoot $dir/etc
RequestRoot $dir/spool
CacheDir $dir/cache
StateDir $dir/state
TempDir $dir/tmp
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
ServerBin /usr/lib/cups
DataDir /usr/share/cups
CONF
    cupsd -f -c "$dir"/etc/cupsd.conf -s "$dir"/etc/cups-files.conf </dev/null >/dev/null 2>&1 &
    pid=$!
    # The socket appears when cupsd binds it, before it accepts requests: wait until the scheduler answers.
    for _ in $(seq 100); do
        CUPS_SERVER="$dir"/cups.sock lpstat -r 2>/dev/null | grep -q 'scheduler is running' && break
        sleep 0.05
    done
    if ! CUPS_SERVER="$dir"/cups.sock lpstat -r 2>/dev/null | grep -q 'scheduler is running'; then
        kill "$pid" 2>/dev/null || true
        echo "cups_session: cupsd did not start (see $dir/log/error_log)" >&2
        exit 1
    fi
    export CUPS_SERVER="$dir"/cups.sock
    lpadmin -p "$printer" -E -v "file://$dir/out/print.pdf" -P "$ppd" 2>/dev/null
    lpadmin -d "$printer" >/dev/null
    echo "unset PRINTER LPDEST; export CUPS_SERVER='$dir/cups.sock' CUPS_SESSION_DIR='$dir' CUPS_SESSION_PID='$pid'" \
        "CUPS_SESSION_PRINTER='$printer' CUPS_SESSION_OUTPUT='$dir/out/print.pdf'"
    ;;
wait)
    limit=${2:-30}
    for _ in $(seq $((limit * 10))); do
        jobs=$(lpstat -o 2>/dev/null) || exit 1
        [ -z "$jobs" ] && exit 0
        sleep 0.1
    done
    exit 1
    ;;
nodefault)
    lpadmin -x "$printer" 2>/dev/null || true
    ;;
undefault)
    # The print server has no command to unset its default; a queue added again is not the default.
    lpadmin -x "$printer"
    lpadmin -p "$printer" -E -v "file://$CUPS_SESSION_DIR/out/print.pdf" -P "$ppd" 2>/dev/null
    ;;
add)
    lpadmin -p "$2" -E -v "file://$CUPS_SESSION_DIR/out/$2.pdf" -P "$ppd" 2>/dev/null
    ;;
remove)
    lpadmin -x "$2"
    ;;
stop)
    if [ -n "${CUPS_SESSION_PID:-}" ]; then
        kill "$CUPS_SESSION_PID" 2>/dev/null || true
        for _ in $(seq 50); do
            kill -0 "$CUPS_SESSION_PID" 2>/dev/null || break
            sleep 0.05
        done
    fi
    case "${CUPS_SESSION_DIR:-}" in
    /tmp/kelvara-cups.*) rm -rf "$CUPS_SESSION_DIR" ;;
    esac
    ;;
*)
    sed -n '2,27p' "$0" | sed 's/^# \{0,1\}//'
    exit 2
    ;;
esac
