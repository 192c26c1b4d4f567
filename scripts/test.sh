#!/usr/bin/env bash
# Installs, builds and runs every test (widget tests on the offscreen platform),
# then the benchmarks, which print their figures.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
# Every C++ file in the project's clang-format style.
git -C "$root" ls-files -z '*.cpp' '*.h' | (cd "$root" && xargs -0 clang-format --dry-run -Werror)
"$root/scripts/build.sh"
build="${BUILD_DIR:-$root/build/release}"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 300
if [ "${SKIP_BENCH:-0}" != 1 ]; then
    for b in "$build"/bench/bench_*; do
        [ -f "$b" ] && [ -x "$b" ] || continue
        echo "== $(basename "$b")"
        "$b"
    done
fi
