#!/usr/bin/env bash
# kill_sweep.sh HOST_DIR WINDOWS_BUILD_DIR [ROAD...]: every kill point of each road of the update
# run (tests/killsweep/kill_point.cpp), and a staging copy of a package of real size cut short,
# each in a fresh copy of the host's template prefix, JOBS (default 2) at a time. The
# uninterrupted run of a road tells its points; a point passes when the run after the kill
# reaches that run's end state. Points inside a Windows Installer call are listed apart and do
# not count.
set -euo pipefail

host=${1:?host folder}
bin="${2:?Windows build tree}/bin"
shift 2
roads=("${@:-typical patch repair rotation}")
read -r -a roads <<<"${roads[*]}"
jobs=${JOBS:-2}

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=d;mshtml=d;winemenubuilder.exe=d"
export DISPLAY="$(cat "$host/display")"
out="$host/kill_sweep"
rm -rf "$out" && mkdir -p "$out"

# point ROAD K|points: one run of the driver in its own prefix; its report in $out.
point() {
    local prefix="$host/prefixes/sweep_$1_$2" rc=0
    cp -a "$host/template" "$prefix"
    WINEPREFIX="$prefix" timeout 300 wine "$bin/kill_point.exe" "$1" "$2" >"$out/$1.$2.txt" 2>&1 || rc=$?
    WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
    rm -rf "$prefix"
    [ "$rc" -eq 0 ] || grep -q '^RESULT' "$out/$1.$2.txt" || echo "RESULT $1 $2 fail (driver ended with $rc)" >>"$out/$1.$2.txt"
}
export -f point
export host bin out

printf '%s points\n' "${roads[@]}" | xargs -P "$jobs" -L 1 bash -c 'point "$0" "$1"'
tasks=()
for road in "${roads[@]}"; do
    count=$(sed -n 's/^points \([0-9]*\).*/\1/p' "$out/$road.points.txt" | tr -d '\r')
    [ -n "$count" ] || { cat "$out/$road.points.txt"; echo "FAIL: the uninterrupted $road run gave no points" >&2; exit 1; }
    for k in $(seq 0 "$count"); do tasks+=("$road $k"); done
done
tasks=("large cut" "${tasks[@]}")
printf '%s\n' "${tasks[@]}" | xargs -P "$jobs" -L 1 bash -c 'point "$0" "$1"'

for road in "${roads[@]}" large; do
    for file in $(ls "$out/$road".*.txt | sort -t. -k2 -n); do
        if grep -q '^RESULT.* fail' "$file"; then tr -d '\r' <"$file"; else grep -h '^cut short\|^RESULT.* pass ' "$file" | tr -d '\r' || true; fi
    done
done
echo "Inside a Windows Installer call (not counted):"
cat "$out"/*.txt | tr -d '\r' | grep -A1 '^RESULT.* excluded ' | grep -v '^--' || echo "  none"
passed=$(cat "$out"/*.txt | grep -c '^RESULT.* pass ' || true)
failed=$(cat "$out"/*.txt | grep -c '^RESULT.* fail' || true)
excluded=$(cat "$out"/*.txt | grep -c '^RESULT.* excluded ' || true)
echo "kill sweep: $passed passed, $failed failed, $excluded inside a Windows Installer call"
[ "$failed" -eq 0 ]
