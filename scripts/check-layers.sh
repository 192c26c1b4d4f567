#!/usr/bin/env bash
# The app folders are layers: widgets/ at the bottom includes no other app
# folder, nothing includes main/ (the top), and the folders include each other
# without a cycle. Builds the folder graph from the #include lines of
# src/app/*/ (or of the folders under the directory given) and prints it;
# exit status 1 on a breach.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "${1:-$root/src/app}"

bottom=widgets
top=main
edges=()
for dir in */; do
    from="${dir%/}"
    while read -r to; do
        [[ -n "$to" && "$to" != "$from" ]] && edges+=("$from $to")
    done < <(cat "$from"/*.h "$from"/*.cpp 2>/dev/null \
        | sed -n 's|^[[:space:]]*#[[:space:]]*include[[:space:]]*"app/\([A-Za-z0-9_]*\)/.*|\1|p' | sort -u)
done

status=0
for e in "${edges[@]}"; do
    read -r from to <<<"$e"
    echo "check-layers: $from -> $to"
    if [[ "$from" == "$bottom" ]]; then
        echo "check-layers: $bottom/ is the bottom layer and includes $to/" >&2
        status=1
    fi
    if [[ "$to" == "$top" ]]; then
        echo "check-layers: $top/ is the top layer and is included by $from/" >&2
        status=1
    fi
done
# tsort reports a cycle as "input contains a loop" and names its folders.
loops="$(mktemp)"
if ((${#edges[@]})) && ! printf '%s\n' "${edges[@]}" | tsort >/dev/null 2>"$loops"; then
    sed 's/^tsort: /check-layers: include cycle: /' "$loops" >&2
    status=1
fi
rm -f "$loops"
echo "check-layers: $([[ $status == 0 ]] && echo clean || echo findings)"
exit $status
