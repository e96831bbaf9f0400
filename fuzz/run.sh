#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs each for SECONDS, starting from its seeds in fuzz/corpus/<target>. Ends with one
# line per target, "TARGET: N execs, K crashes", and exits non-zero when any target found
# something: a crash, a sanitizer report, a broken invariant, a hang or a leak.
#   fuzz/run.sh SECONDS [BUILD_DIR]     (BUILD_DIR defaults to build/fuzz)
# What a target found is kept in BUILD_DIR/runs/<target>/findings; replay an input with
#   BUILD_DIR/<target>_fuzzer FILE
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:?usage: fuzz/run.sh SECONDS [BUILD_DIR]}
build=${2:-$root/build/fuzz}
targets=(command_line version update_run ini_buffer)

mkdir -p "$build"
if ! cmake -S "$root/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ >"$build/configure.log" 2>&1 ||
   ! cmake --build "$build" -j "$(nproc)" >"$build/build.log" 2>&1; then
    cat "$build/configure.log" "$build/build.log" | tail -n 60
    echo "fuzz targets did not build" >&2
    exit 2
fi

export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
summary=()
failed=0
for target in "${targets[@]}"; do
    work="$build/runs/$target"
    findings="$work/findings"
    rm -rf "$findings"
    mkdir -p "$work/corpus" "$findings"
    options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
             -artifact_prefix="$findings/")
    [ -f "$root/fuzz/$target.dict" ] && options+=(-dict="$root/fuzz/$target.dict")
    # A tail of tens of thousands of characters is a command line Windows accepts.
    [ "$target" = command_line ] && options+=(-max_len=65536)
    status=0
    # New inputs go to the build tree's corpus; the seeds in the source tree stay as they are.
    "$build/${target}_fuzzer" "${options[@]}" "$work/corpus" "$root/fuzz/corpus/$target" >"$work/log" 2>&1 ||
        status=$?
    execs=$(sed -n 's/^Done \([0-9]*\) runs in .*/\1/p' "$work/log" | tail -n 1)
    # After a finding there is no "Done" line; the final statistics still count the runs.
    [ -n "$execs" ] || execs=$(sed -n 's/^stat::number_of_executed_units: *\([0-9]*\).*/\1/p' "$work/log" | tail -n 1)
    crashes=$(find "$findings" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
    if [ "$status" -ne 0 ] || [ "$crashes" -ne 0 ]; then
        failed=1
        [ "$crashes" -ne 0 ] || crashes=1
        echo "---- $target: $work/log" >&2
        grep -v '^#[0-9]' "$work/log" | tail -n 40 >&2
    fi
    summary+=("$target: ${execs:-0} execs, $crashes crashes")
done
printf '%s\n' "${summary[@]}"
exit "$failed"
