#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package build-package/kelvara_<version>-<revision>_<arch>.deb with CPack: a release build without
# tests, compiled and linked with Debian's build flags (dpkg-buildflags, every hardening feature on, as a Debian
# package build uses them), installed under /usr, its library dependencies computed by dpkg-shlibdeps. Install it with
#     apt install ./build-package/kelvara_*.deb
# Usage: scripts/package.sh [BUILD_DIR]   (default: build-package)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-package}
cd "$root"
bash scripts/setup.sh run

# Passed on every configure (CMake reads CFLAGS and the like from the environment only for a new build folder). The
# preprocessor flags (_FORTIFY_SOURCE) go with the compiler flags, as Debian's CMake builds do; NDEBUG as in any
# release build. Build type None adds no flags of its own.
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=None -DKELVARA_TESTS=OFF -DKELVARA_BENCH=OFF \
    -DCMAKE_C_FLAGS="$CFLAGS $CPPFLAGS -DNDEBUG" -DCMAKE_CXX_FLAGS="$CXXFLAGS $CPPFLAGS -DNDEBUG" \
    -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" -DCMAKE_SHARED_LINKER_FLAGS="$LDFLAGS" >/dev/null
ninja -C "$build"
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/kelvara_*.deb
