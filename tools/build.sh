#!/usr/bin/env bash
# Builds both sides: build/windows (OrvhUpdate.exe and the Windows-side tests, with
# mingw-w64) and build/native (the portable code and its tests, with g++; it also
# registers the Windows-side tests to run under Wine).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)

cmake -S "$root" -B "$root/build/windows" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/windows" -j "$jobs"
cmake -S "$root" -B "$root/build/native" -DORVH_WINDOWS_BUILD_DIR="$root/build/windows" >/dev/null
cmake --build "$root/build/native" -j "$jobs"
