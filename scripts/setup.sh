#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages the project needs: `setup.sh run` for building and running, `setup.sh test` for that
# and everything the tests need. Installs only what is missing, so a second call is quick. Needs root (or sudo).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
lists=("$here/packages-run.txt")
[ "${1:-run}" = test ] && lists+=("$here/packages-test.txt")

wanted=$(grep -hv '^\s*#' "${lists[@]}" | awk 'NF { print $1 }')
missing=()
for p in $wanted; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
echo "Installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
