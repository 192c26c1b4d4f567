#!/usr/bin/env bash
# Builds the project with its benchmarks (build/release, or $BUILD_DIR) and runs
# every benchmark under bench/; each prints its figures. Arguments name the
# benchmarks to run (soak, board_exchange, ...); without any, all of them.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
ZOVAX_BENCH=ON "$root/scripts/build.sh"
build="${BUILD_DIR:-$root/build/release}"
export QT_QPA_PLATFORM=offscreen
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
    for b in "$build"/bench/bench_*; do
        [ -f "$b" ] && [ -x "$b" ] && names+=("${b##*/bench_}")
    done
fi
for n in "${names[@]}"; do
    b="$build/bench/bench_$n"
    [ -x "$b" ] || { echo "$0: no benchmark $n" >&2; exit 2; }
    echo "== bench_$n"
    "$b"
done
