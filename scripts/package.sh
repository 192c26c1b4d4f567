#!/usr/bin/env bash
# Builds the project and the Debian package zovax-ether_<version>_<arch>.deb
# (in build/release, or $BUILD_DIR). Install it with
#   sudo apt install ./build/release/zovax-ether_*.deb
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build/release}"
"$root/scripts/install-deps.sh"
BUILD_DIR="$build" "$root/scripts/build.sh"
cmake -S "$root" -B "$build" -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
(cd "$build" && cpack -G DEB)
ls -1 "$build"/zovax-ether_*.deb
