#!/usr/bin/env bash
# Style and static checks: clang-format over every C++ file of the tree (no
# changes, a difference is an error), the layering of the app folders
# (check-layers.sh) and clang-tidy over src/, sim/ and the fuzz targets with
# the build's compile database. Needs a configured build (BUILD_DIR, default build/release).
# Exit status 0 when both are clean.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build/release}"
cd "$root"

status=0
mapfile -t files < <(git ls-files '*.cpp' '*.h')
echo "check-style: clang-format over ${#files[@]} files"
if ! clang-format --dry-run -Werror "${files[@]}"; then
    status=1
fi

if ! "$root/scripts/check-layers.sh" >/dev/null; then
    status=1
fi

if [[ ! -f "$build/compile_commands.json" ]]; then
    echo "check-style: no $build/compile_commands.json (configure the build first)" >&2
    exit 2
fi
mapfile -t sources < <(git ls-files 'src/*.cpp' 'sim/*.cpp')
echo "check-style: clang-tidy over ${#sources[@]} files"
jobs="${JOBS:-2}"
if ! printf '%s\n' "${sources[@]}" \
    | xargs -P "$jobs" -n 4 clang-tidy -p "$build" --quiet --warnings-as-errors='*' 2>/dev/null; then
    status=1
fi
# The fuzz targets are built only by clang with libFuzzer (scripts/fuzz.sh), so
# they are not in the build's database: a configure-only fuzz tree gives one.
mapfile -t fuzzers < <(git ls-files 'tests/fuzz/*.cpp')
if command -v clang++ >/dev/null && ((${#fuzzers[@]})); then
    fuzzdb="$build/tidy-fuzz"
    if cmake -S "$root" -B "$fuzzdb" -DZOVAX_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null 2>&1; then
        echo "check-style: clang-tidy over ${#fuzzers[@]} fuzz targets"
        if ! printf '%s\n' "${fuzzers[@]}" \
            | xargs -P "$jobs" -n 4 clang-tidy -p "$fuzzdb" --quiet --warnings-as-errors='*' 2>/dev/null; then
            status=1
        fi
    fi
fi
echo "check-style: $([[ $status == 0 ]] && echo clean || echo findings)"
exit $status
