#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer + UndefinedBehaviorSanitizer)
# into build/fuzz (or $FUZZ_BUILD_DIR) and runs each of them.
#
#   scripts/fuzz.sh            each target until 1,000,000 executions
#   scripts/fuzz.sh SECONDS    each target for SECONDS seconds
#   scripts/fuzz.sh --ci       replays the checked-in seeds, then 5 seconds per target
#   scripts/fuzz.sh ... TARGET...   only the targets named (link, learn, ...)
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

# Longest input per target, in bytes: a few times the longest useful input, so
# the fuzzer spends its executions on structure rather than on length.
#   link       a burst of reply lines as one read (the longest reply is a
#              wave-data record of about 20 bytes; 4 KB holds 200 of them)
#   learn      up to about six frames of wave lines (a frame is up to 1,300
#              bytes of "[iii]:HHHHH,WWWWWW" lines)
#   readback   a few rows of records (a row is at most about 1,100 bytes)
#   table_file a few dozen rows (a full row with its wave data is up to 300 bytes)
#   settings   the whole settings file with room to spare (it is about 600 bytes)
#   hex        a small firmware image (records are at most 521 bytes)
#   netconfig  one full configuration dialogue (about 200 bytes) several times
declare -A max_len=([link]=4096 [learn]=8192 [readback]=8192 [table_file]=8192
                    [settings]=4096 [hex]=16384 [netconfig]=2048)

mode=runs
limit=(-runs=1000000)
case "${1:-}" in
"" | [a-z]*) ;;
--ci) mode=ci; limit=(-max_total_time=5); shift ;;
*[!0-9]* | 0) echo "usage: $0 [SECONDS | --ci] [TARGET...]" >&2; exit 2 ;;
*) mode=time; limit=(-max_total_time="$1"); shift ;;
esac
if [ $# -gt 0 ]; then
    for t in "$@"; do
        [ -n "${max_len[$t]:-}" ] || { echo "$0: no target $t (${targets[*]})" >&2; exit 2; }
    done
    targets=("$@")
fi

cmake -S "$root" -B "$build" -DZOVAX_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]/#/fuzz_}" >/dev/null

# strict_memcmp=0: a compare is checked over the bytes it actually reads, not
# over the whole length it was given (which costs a scan per call).
# malloc_context_size=2: each allocation and release records two frames of its
# caller. Deeper, the fast unwinder walks into Qt's frames (built without frame
# pointers) and records a different garbage stack almost every time, which
# halved the speed and grew memory without bound. Every fault is still caught
# and its own stack printed in full; for full allocation stacks, run the
# target on the saved input without these options.
# quarantine_size_mb=16: freed memory is held back 16 MB long before reuse (a
# use after free within that is caught) rather than 256 MB; a run allocates a
# few kilobytes, and cycling through 256 MB of fresh pages cost a quarter of
# the link target's time in page faults.
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:abort_on_error=1:allocator_may_return_null=1:strict_memcmp=0:malloc_context_size=2:quarantine_size_mb=16"
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
        "$exe" "${limit[@]}" -timeout=10 -rss_limit_mb=2048 -max_len="${max_len[$t]}" -print_final_stats=1 \
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
