#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the built program into a temporary prefix and checks every installed file: the executable answers
# --help, --version and an unknown option without a display, the demo device its --help; the desktop entry and the
# AppStream metainfo pass their validators; every icon size is a PNG of that size; the man pages are compressed and
# name the options.
# Usage: install_test.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

expected="bin/kelvara
bin/kelvara-demo-device
share/applications/org.kelvara.Kelvara.desktop
share/icons/hicolor/128x128/apps/kelvara.png
share/icons/hicolor/16x16/apps/kelvara.png
share/icons/hicolor/24x24/apps/kelvara.png
share/icons/hicolor/256x256/apps/kelvara.png
share/icons/hicolor/32x32/apps/kelvara.png
share/icons/hicolor/48x48/apps/kelvara.png
share/icons/hicolor/64x64/apps/kelvara.png
share/icons/hicolor/scalable/apps/kelvara.svg
share/man/man1/kelvara-demo-device.1.gz
share/man/man1/kelvara.1.gz
share/metainfo/org.kelvara.Kelvara.metainfo.xml"
actual=$(cd "$prefix" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
[ "$actual" = "$expected" ] || fail "installed files differ:$(diff <(echo "$expected") <(echo "$actual"))"

# The command line works without a display and before any file is touched.
bin=$prefix/bin/kelvara
[ -x "$bin" ] || fail "the executable is not executable"
help=$(env -u DISPLAY -u WAYLAND_DISPLAY "$bin" --help) || fail "--help failed"
grep -q -- '--config-dir DIR' <<<"$help" || fail "--help does not name --config-dir"
version=$(env -u DISPLAY -u WAYLAND_DISPLAY "$bin" --version) || fail "--version failed"
project_version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ "$version" = "kelvara $project_version" ] || fail "--version printed '$version', the project is $project_version"
status=0
err=$(env -u DISPLAY "$bin" --frobnicate 2>&1 >/dev/null) || status=$?
[ "$status" = 2 ] || fail "an unknown option ended with status $status, not 2"
grep -q "unknown option '--frobnicate'" <<<"$err" || fail "unclear message for an unknown option: $err"
[ ! -e "$prefix/bin/setfile.ini" ] && [ ! -e "$prefix/bin/txt.txt" ] || fail "the command line created files"
[ ! -e "$prefix/bin/portable" ] || fail "the build folder's portable marker was installed"
demo_help=$("$prefix/bin/kelvara-demo-device" --help) || fail "kelvara-demo-device --help failed"
for option in --link --setfile --format; do
    grep -q -- "$option" <<<"$demo_help" || fail "kelvara-demo-device --help does not name $option"
done

desktop=$prefix/share/applications/org.kelvara.Kelvara.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate"
grep -qx 'Name=Kelvara' "$desktop" || fail "desktop entry name"
grep -q '^Name\[zh_CN\]=' "$desktop" || fail "desktop entry has no Chinese name"
grep -qx 'Categories=Development;Electronics;' "$desktop" || fail "desktop entry categories"
grep -qx 'Keywords=serial;terminal;串口;' "$desktop" || fail "desktop entry keywords"
grep -qx 'Exec=kelvara' "$desktop" || fail "desktop entry Exec"
grep -qx 'Icon=kelvara' "$desktop" || fail "desktop entry Icon"

metainfo=$prefix/share/metainfo/org.kelvara.Kelvara.metainfo.xml
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
grep -q "<release version=\"$project_version\"" "$metainfo" || fail "metainfo has no release $project_version"
grep -q '<screenshot type="default">' "$metainfo" || fail "metainfo has no screenshot"
grep -q '<launchable type="desktop-id">org.kelvara.Kelvara.desktop</launchable>' "$metainfo" \
    || fail "metainfo does not launch the desktop entry"

for size in 16 24 32 48 64 128 256; do
    png=$prefix/share/icons/hicolor/${size}x${size}/apps/kelvara.png
    file -b "$png" | grep -q "^PNG image data, $size x $size," || fail "$png: $(file -b "$png")"
done
grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/kelvara.svg" || fail "the scalable icon is no SVG"

man=$prefix/share/man/man1/kelvara.1.gz
gzip -t "$man" || fail "the man page is not gzip"
page=$(zcat "$man")
for word in '.TH KELVARA 1' 'config\-dir' 'port' 'dialout' 'XDG_CONFIG_HOME'; do
    grep -qF -- "$word" <<<"$page" || fail "the man page lacks $word"
done
grep -q '@' <<<"$page" && fail "the man page holds an unreplaced @VARIABLE@"
demo_page=$(zcat "$prefix/share/man/man1/kelvara-demo-device.1.gz")
for word in '.TH KELVARA-DEMO-DEVICE 1' 'link' 'setfile' 'format'; do
    grep -qF -- "$word" <<<"$demo_page" || fail "the demo device's man page lacks $word"
done
grep -q '@' <<<"$demo_page" && fail "the demo device's man page holds an unreplaced @VARIABLE@"
echo "install test: all $(wc -l <<<"$expected") files checked"
