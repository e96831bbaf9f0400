#!/usr/bin/env bash
# The bench: measures OrvhUpdate.exe under Wine on this machine, in one run, and ends with
# the four figures (medians) a script can read:
#   update-vs-msiexec-ratio: R   an update run against Windows Installer doing the same alone
#   wait-cpu-share-percent: P    the launcher's CPU while waiting 10 s for a process
#   start-overhead-ms: M         its help box's start beyond a trivial program's box
#   exe-bytes: B                 the size of OrvhUpdate.exe
# Usage: bench/run.sh [RUNS]   (default 5; the CPU share takes RUNS-2 runs of 10 s)
# Uses the Windows build in build/windows (made by tools/build.sh when missing); another
# build folder with ORVH_BUILD_DIR=folder (its windows/ sub-folder is used).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-5}
build=${ORVH_BUILD_DIR:-$root/build}
windows="$build/windows"

if [ ! -f "$windows/CMakeCache.txt" ]; then
    if [ -n "${ORVH_BUILD_DIR:-}" ]; then
        cmake -S "$root" -B "$windows" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" >/dev/null
    else
        "$root/tools/build.sh" >/dev/null
    fi
fi
cmake --build "$windows" --target orvh_bench -j2 >/dev/null
exe="$windows/bin/OrvhUpdate.exe"

bench="$build/figures-bench"
trap '"$root/tests/wine_host/wine_host.sh" cleanup "$bench" >/dev/null 2>&1 || true' EXIT
"$root/tests/wine_host/wine_host.sh" setup "$bench"
echo "machine: $(nproc) cores, $(wine --version 2>/dev/null), $(uname -r)"

out="$bench/output.txt"
"$root/tests/wine_host/wine_host.sh" run "$bench" "$windows/bin/orvh_bench.exe" "$runs" | tr -d '\r' | tee "$out"

bytes=$(stat -c %s "$exe")
echo
echo "(4) OrvhUpdate.exe: $bytes bytes"
figure() {
    local value
    value=$(sed -n "s/^figure $1: //p" "$out")
    [ -n "$value" ] || { echo "bench: no figure $1" >&2; exit 1; }
    echo "$1: $value"
}
echo
figure update-vs-msiexec-ratio
figure wait-cpu-share-percent
figure start-overhead-ms
echo "exe-bytes: $bytes"
