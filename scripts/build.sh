#!/usr/bin/env bash
# Configures and builds the whole project into build/release (or $BUILD_DIR).
# ZOVAX_BENCH=OFF leaves the benchmarks out.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build/release}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DZOVAX_BENCH="${ZOVAX_BENCH:-ON}" >/dev/null
cmake --build "$build" -j "$(nproc)"
