#!/usr/bin/env bash
# fuzz/run.sh SECONDS [BUILD_DIR (build/fuzz)]: builds the targets with clang, runs each for SECONDS
# from fuzz/corpus/<target>, fails on any finding (kept in BUILD_DIR/runs/<target>/findings).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${2:-$root/build/fuzz}
mkdir -p "$build"
if ! { cmake -S "$root/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ && cmake --build "$build" -j2; } >"$build/log" 2>&1
then tail -n 60 "$build/log" && exit 2
fi
failed=0
for target in command_line version update_run file_layouts; do
    work=$build/runs/$target
    rm -rf "$work/findings" && mkdir -p "$work/corpus" "$work/findings"
    options=(-max_total_time="${1:?SECONDS}" -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$work/findings/")
    [ -f "$root/fuzz/$target.dict" ] && options+=(-dict="$root/fuzz/$target.dict")
    "$build/${target}_fuzzer" "${options[@]}" "$work/corpus" "$root/fuzz/corpus/$target" >"$work/log" 2>&1 && status=0 || status=1
    crashes=$(find "$work/findings" -type f | wc -l)
    if [ "$status$crashes" != 00 ]; then
        failed=1
        grep -v '^#[0-9]' "$work/log" | tail -n 40 >&2
    fi
    echo "$target: $(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$work/log") execs, $crashes crashes"
done
exit "$failed"
