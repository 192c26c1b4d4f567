#!/usr/bin/env bash
# Installs, builds and runs every test (widget tests on the offscreen platform),
# then the same suite built with AddressSanitizer + UBSan (scripts/sanitize.sh)
# and the fuzz targets' seed replay with a few seconds of fuzzing each
# (scripts/fuzz.sh --ci). The benchmarks run separately: scripts/bench.sh.
# SKIP_SANITIZE=1 or SKIP_FUZZ=1 leave out the two later runs.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
# Every C++ file in the project's clang-format style.
git -C "$root" ls-files -z '*.cpp' '*.h' | (cd "$root" && xargs -0 clang-format --dry-run -Werror)
ZOVAX_BENCH=OFF "$root/scripts/build.sh"
build="${BUILD_DIR:-$root/build/release}"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 300
if [ "${SKIP_SANITIZE:-0}" != 1 ]; then
    echo "== sanitizer suite"
    "$root/scripts/sanitize.sh"
fi
if [ "${SKIP_FUZZ:-0}" != 1 ]; then
    echo "== fuzz targets"
    "$root/scripts/fuzz.sh" --ci
fi
