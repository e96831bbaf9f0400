#!/usr/bin/env bash
# The bench: measures OrvhUpdate.exe under Wine on this machine, in one run, and ends with
# the figures (medians) a script can read:
#   update-vs-same-calls-ratio: R        an update run of the test fixtures against a process
#                                        making the same Windows Installer calls alone
#   large-update-vs-same-calls-ratio: R  the same with packages of real size (2,000 files,
#                                        135 MB; made here, by the target orvh_bench_packages)
#   update-vs-msiexec-ratio: R           the update run of the test fixtures against
#                                        msiexec /i then msiexec /p
#   signed-update-vs-same-calls-ratio: R the first with the launcher and the packages signed
#                                        by one publisher: the set verified before use
#   large-signed-update-vs-same-calls-ratio: R   the same with the packages of real size
#   wait-cpu-share-percent: P            the launcher's CPU while waiting 10 s for a process
#   start-overhead-ms: M                 its help box's start beyond a trivial program's box
#   exe-bytes: B                         the size of OrvhUpdate.exe
# Usage: bench/run.sh [RUNS]   (default 5; the CPU share takes RUNS-2 runs of 10 s, the
# large update case at most 3 runs)
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
started=$(date +%s)
cmake --build "$windows" --target orvh_bench_packages -j2 >/dev/null
# Signed copies of the large packages, with the publisher's test certificate of the build.
signed="$windows/bin/fixtures/signed"
for file in hub-large-1.2.0.msi hub-large-1.2.100.msp; do
    if [ ! -f "$signed/$file" ] || [ "$windows/bin/fixtures/$file" -nt "$signed/$file" ]; then
        cp "$windows/bin/fixtures/$file" "$signed/$file"
        "$root/tools/sign-release.sh" -c "$signed/certificates/publisher.pem" -k "$signed/certificates/publisher.key" \
            "$signed/$file" >/dev/null
    fi
done
echo "large packages made, signed or checked in $(( $(date +%s) - started )) s"
exe="$windows/bin/OrvhUpdate.exe"

bench="$build/figures-bench"
trap '"$root/tools/wine_host.sh" cleanup "$bench" >/dev/null 2>&1 || true' EXIT
"$root/tools/wine_host.sh" setup "$bench"
echo "machine: $(nproc) cores, $(wine --version 2>/dev/null), $(uname -r)"

out="$bench/output.txt"
"$root/tools/wine_host.sh" run "$bench" "$windows/bin/orvh_bench.exe" "$runs" | stdbuf -oL tr -d '\r' | tee "$out"

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
figure update-vs-same-calls-ratio
figure large-update-vs-same-calls-ratio
figure update-vs-msiexec-ratio
figure signed-update-vs-same-calls-ratio
figure large-signed-update-vs-same-calls-ratio
figure wait-cpu-share-percent
figure start-overhead-ms
echo "exe-bytes: $bytes"
