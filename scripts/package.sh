#!/usr/bin/env bash
# Builds the Debian package build-package/kelvara_<version>_<arch>.deb with CPack: a release build without tests,
# installed under /usr, its library dependencies computed by dpkg-shlibdeps. Install it with
#     apt install ./build-package/kelvara_*.deb
# Usage: scripts/package.sh [BUILD_DIR]   (default: build-package)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-package}
cd "$root"
bash scripts/setup.sh run

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVARA_TESTS=OFF -DKELVARA_BENCH=OFF >/dev/null
ninja -C "$build"
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/kelvara_*.deb
