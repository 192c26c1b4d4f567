#!/usr/bin/env bash
# The whole test suite built with AddressSanitizer and UndefinedBehaviorSanitizer
# (Debug, -O1, line tables only: enough for file and line in every report) into
# build/sanitize (or $SANITIZE_BUILD_DIR) and run with ctest on the offscreen
# platform. Any sanitizer report stops the test that made it and
# fails it. Extra arguments go to ctest (for example -R Learner).
#
# Leak detection is off by default: Qt keeps process-wide allocations (fonts,
# the platform plugin, static caches) that it never frees, and they would fail
# every widget test. ZOVAX_DETECT_LEAKS=1 turns it on.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${SANITIZE_BUILD_DIR:-$root/build/sanitize}"
flags="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined -O1 -g1"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DZOVAX_BENCH=OFF \
      -DCMAKE_CXX_FLAGS="$flags" \
      -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$build" -j "$(nproc)"

export ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=${ZOVAX_DETECT_LEAKS:-0}:detect_stack_use_after_return=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" -j "$(nproc)" --output-on-failure "$@"
