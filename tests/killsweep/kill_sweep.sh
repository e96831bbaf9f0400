#!/usr/bin/env bash
# wine_host.sh with HOST_DIR kill_sweep.sh HOST_DIR WINDOWS_BUILD_DIR [ROAD...]: every kill point
# of each road (kill_point.cpp) and a package's copy cut short, each in a fresh copy of the host's
# template prefix, JOBS (default 2) at a time.
set -euo pipefail

host=${1:?host folder}
bin="${2:?Windows build tree}/bin"
shift 2
roads=("${@:-typical patch repair rotation}")
read -r -a roads <<<"${roads[*]}"
jobs=${JOBS:-2}

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

# Each point's report, those inside a Windows Installer call apart.
reports=$(cat "$out"/*.txt | tr -d '\r' | grep -v '^points ')
awk '/^RESULT/ { apart = / excluded / } !apart' <<<"$reports"
echo "Inside a Windows Installer call (Wine runs the installation in the launcher's process, without Windows' rollback; not counted):"
awk '/^RESULT/ { apart = / excluded / } apart' <<<"$reports"
passed=$(grep -c '^RESULT.* pass ' <<<"$reports" || true)
failed=$(grep -c '^RESULT.* fail' <<<"$reports" || true)
excluded=$(grep -c '^RESULT.* excluded ' <<<"$reports" || true)
echo "kill sweep: $passed passed, $failed failed, $excluded inside a Windows Installer call"
[ "$failed" -eq 0 ]
