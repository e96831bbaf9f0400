#!/usr/bin/env bash
# Runs every test: native (portable code), wine (Windows adapters under Wine) and e2e
# (the real OrvhUpdate.exe under Wine). Ends with ctest's summary line; non-zero on failure.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)

"$root/tools/install-deps.sh"
"$root/tools/build.sh"
cd "$root/build/native"
ctest --output-on-failure -j "$(nproc)" "$@"
