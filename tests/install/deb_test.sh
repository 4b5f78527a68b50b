#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package on this machine: packs the already-built tree with CPack (the same install rules that
# scripts/package.sh packs from its release build), installs it with apt, starts it from its desktop entry as a
# freshly created ordinary user on a private X desktop, and checks that user's ~/.config/kelvara/; the user may not
# open a device of the group dialout, so --port with such a device and "打开串口" print the group hint on standard
# error. Before installing, checks the package itself: lintian finds no error in it, its version and changelog agree,
# its copyright file is machine-readable and names the license, and Homepage and Maintainer are the web site and the
# address the program shows (auxwin/ProgramInfo.h); the started program's window class is the one its desktop entry
# names, so that docks group the window with the entry. Then removes the package and the user, also when a check
# fails.
# Needs root and apt; skipped (status 77) without them, or when a kelvara package is installed already (it is not
# ours to replace). Usage: deb_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
[ "$(id -u)" = 0 ] || { echo "SKIP: needs root"; exit 77; }
command -v apt-get >/dev/null && command -v useradd >/dev/null || { echo "SKIP: needs apt and useradd"; exit 77; }
if dpkg-query -W -f='${Status}' kelvara 2>/dev/null | grep -q 'install ok installed'; then
    echo "SKIP: a kelvara package is installed already"
    exit 77
fi

work=$(mktemp -d)
chmod 755 "$work"
user=kelvara-e2e-$$
pids=()
installed=0
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
    bash "$source/tests/e2e/xsession.sh" stop || true
    if [ $installed = 1 ]; then
        DEBIAN_FRONTEND=noninteractive apt-get remove -y -q kelvara >/dev/null 2>&1 || true
    fi
    if id "$user" >/dev/null 2>&1; then
        userdel --remove "$user" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    [ -f "$work/program.log" ] && { echo "--- program ---" >&2; cat "$work/program.log" >&2; }
    exit 1
}

(cd "$build" && cpack -G DEB -B "$work/pack" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log" >&2; fail "cpack"; }
deb=$(ls "$work"/pack/kelvara_*.deb)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
package_version=$(dpkg-deb -f "$deb" Version)
[[ "$package_version" == "$version"-* ]] || fail "package version $package_version, not $version and a revision"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6core6 libc6 qt6-qpa-plugins fonts-wqy-zenhei; do
    grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
done

# The package as Debian's policy checker sees it: errors fail, warnings are shown.
command -v lintian >/dev/null || fail "lintian is not installed (scripts/setup.sh test)"
lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 || { cat "$work/lintian.log" >&2; fail "lintian found errors"; }
grep -v 'root privileges' "$work/lintian.log" || true

doc=./usr/share/doc/kelvara
changelog=$(dpkg-deb --fsys-tarfile "$deb" | tar -xO "$doc/changelog.Debian.gz" | zcat) || fail "no Debian changelog"
[ "$(head -n1 <<<"$changelog")" = "kelvara ($package_version) unstable; urgency=medium" ] \
    || fail "the changelog's top entry is not $package_version: $(head -n1 <<<"$changelog")"
copyright=$(dpkg-deb --fsys-tarfile "$deb" | tar -xO "$doc/copyright") || fail "no copyright file"
grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' <<<"$copyright" \
    || fail "the copyright file is not machine-readable"
grep -qx 'License: GPL-3.0-or-later' <<<"$copyright" || fail "the copyright file does not name GPL-3.0-or-later"
grep -qF '/usr/share/common-licenses/GPL-3' <<<"$copyright" || fail "the copyright file does not point at GPL-3"

# One web site and one address: those the program shows in its help window.
info() { sed -n "s/.*$1 = \"\\(.*\\)\";/\\1/p" "$source/auxwin/ProgramInfo.h"; }
[ "$(dpkg-deb -f "$deb" Homepage)" = "$(info ProgramWebSite)" ] \
    || fail "Homepage $(dpkg-deb -f "$deb" Homepage), the program names $(info ProgramWebSite)"
[[ "$(dpkg-deb -f "$deb" Maintainer)" == *"<$(info ProgramEmail)>" ]] \
    || fail "Maintainer $(dpkg-deb -f "$deb" Maintainer), the program names $(info ProgramEmail)"

DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$deb" >"$work/apt.log" 2>&1 \
    || { cat "$work/apt.log" >&2; fail "apt install"; }
installed=1
[ -x /usr/bin/kelvara ] || fail "/usr/bin/kelvara is missing"
desktop=/usr/share/applications/org.kelvara.Kelvara.desktop
[ -f "$desktop" ] || fail "the desktop entry is missing"

useradd --create-home --shell /bin/bash "$user"
home=$(getent passwd "$user" | cut -d: -f6)
id -nG "$user" | grep -qw dialout && fail "the new user is in dialout already"

eval "$(bash "$source/tests/e2e/xsession.sh" start)"
# A serial device of the group dialout, as udev makes them: a pty whose slave the test hands to that group.
socat -d -d pty,raw,echo=0,link="$work/tty" pty,raw,echo=0 2>"$work/socat.log" &
pids+=($!)
for _ in $(seq 100); do [ -e "$work/tty" ] && break; sleep 0.05; done
device=$(readlink -f "$work/tty")
chgrp dialout "$device"
chmod 660 "$device"

# Started as the desktop menu starts it: the entry's Exec line, found on the user's PATH.
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
runuser -u "$user" -- env -i HOME="$home" USER="$user" PATH=/usr/local/bin:/usr/bin:/bin DISPLAY="$DISPLAY" \
    DBUS_SESSION_BUS_ADDRESS="$DBUS_SESSION_BUS_ADDRESS" KELVARA_REPORT_SHOWN=1 KELVARA_NO_PORT_PROBE=1 \
    sh -c 'command -v "$1" && exec "$@"' sh $exec_line --port "$device" >"$work/program.log" 2>&1 &
pids+=($!)
for _ in $(seq 200); do grep -q '^kelvara-shown ' "$work/program.log" && break; sleep 0.05; done
grep -q '^kelvara-shown ' "$work/program.log" || fail "the program did not show its main window"
[ "$(head -n1 "$work/program.log")" = /usr/bin/kelvara ] || fail "the desktop entry did not start /usr/bin/kelvara"

config=$home/.config/kelvara
[ -d "$config" ] || fail "$config was not created"
[ "$(stat -c %U "$config")" = "$user" ] || fail "$config does not belong to $user"
[ -f "$config/txt.txt" ] && [ ! -s "$config/txt.txt" ] || fail "$config/txt.txt is not an empty file"
[ ! -e /usr/bin/txt.txt ] && [ ! -e /usr/bin/setfile.ini ] || fail "files were written beside /usr/bin/kelvara"

# "打开串口" on the device the user may not open: the usual failure box, and the group hint on standard error.
window=""
for _ in $(seq 100); do
    for w in $(xdotool search --name '^Kelvara$' 2>/dev/null); do
        xwininfo -id "$w" | grep -q 'Width: 860' && xwininfo -id "$w" | grep -q IsViewable && window=$w
    done
    [ -n "$window" ] && break
    sleep 0.05
done
[ -n "$window" ] || fail "no main window on the display"
wm_class=$(sed -n 's/^StartupWMClass=//p' "$desktop")
xprop -id "$window" WM_CLASS | grep -q ", \"$wm_class\"\$" \
    || fail "the window's class ($(xprop -id "$window" WM_CLASS)) is not the entry's StartupWMClass '$wm_class'"
xdotool windowactivate --sync "$window" mousemove --window "$window" 45 20 click 1
for _ in $(seq 100); do grep -q 'no permission to open' "$work/program.log" && break; sleep 0.05; done
grep -qF "kelvara: no permission to open $device: serial ports belong to the group 'dialout'" "$work/program.log" \
    || fail "no dialout hint on standard error"
[ ! -e "$config/setfile.ini" ] || fail "--port wrote setfile.ini"

echo "package test: $(basename "$deb") installed, started as $user, settings in $config, dialout hint shown"
