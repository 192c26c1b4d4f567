#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer + UndefinedBehaviorSanitizer)
# into build/fuzz (or $FUZZ_BUILD_DIR) and runs each of them.
#
#   scripts/fuzz.sh            each target until 1,000,000 executions
#   scripts/fuzz.sh SECONDS    each target for SECONDS seconds
#   scripts/fuzz.sh --ci       replays the checked-in seeds, then 5 seconds per target
#
# New inputs go to build/fuzz/corpus/<target> (the seeds in tests/fuzz/corpus are
# only read); crash, leak, time-out and out-of-memory inputs to
# build/fuzz/artifacts/<target>. Ends with one line per target:
#   fuzz: target=<name> execs=<n> crashes=<n>
# and fails when any target crashed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${FUZZ_BUILD_DIR:-$root/build/fuzz}"
targets=(link learn readback table_file settings hex netconfig)

mode=runs
limit=(-runs=1000000)
case "${1:-}" in
"") ;;
--ci) mode=ci; limit=(-max_total_time=5) ;;
*[!0-9]* | 0) echo "usage: $0 [SECONDS | --ci]" >&2; exit 2 ;;
*) mode=time; limit=(-max_total_time="$1") ;;
esac

cmake -S "$root" -B "$build" -DZOVAX_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]/#/fuzz_}" >/dev/null

export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:abort_on_error=1:allocator_may_return_null=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export QT_QPA_PLATFORM=offscreen
summary=()
failed=0
for t in "${targets[@]}"; do
    exe="$build/tests/fuzz/fuzz_$t"
    seeds="$root/tests/fuzz/corpus/$t"
    corpus="$build/corpus/$t"
    artifacts="$build/artifacts/$t"
    log="$build/fuzz_$t.log"
    mkdir -p "$corpus" "$artifacts"
    before=$(find "$artifacts" -type f | wc -l)
    execs=0
    status=0
    if [ "$mode" = ci ]; then
        # Every seed once, with no mutation: a seed that crashes fails here.
        "$exe" -runs=0 "$seeds" >"$log" 2>&1 || status=$?
    fi
    if [ "$status" = 0 ]; then
        "$exe" "${limit[@]}" -timeout=10 -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 \
               -artifact_prefix="$artifacts/" "$corpus" "$seeds" >>"$log" 2>&1 || status=$?
        execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    fi
    after=$(find "$artifacts" -type f | wc -l)
    crashes=$((after - before))
    if [ "$status" != 0 ] && [ "$crashes" = 0 ]; then
        crashes=1 # a failure that left no input (a seed, or the target itself)
    fi
    [ "$crashes" = 0 ] || { failed=1; echo "fuzz: $t failed, see $log" >&2; }
    summary+=("fuzz: target=$t execs=${execs:-0} crashes=$crashes")
done
printf '%s\n' "${summary[@]}"
exit "$failed"
