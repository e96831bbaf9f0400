#!/usr/bin/env bash
# Builds OrvhUpdate.exe and runs it under Wine on a private display, as the product would
# start it, reporting every message box it shows. Today's demo: the usage request "/?".
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)

"$root/tools/install-deps.sh"
"$root/tools/build.sh" >/dev/null
bench="$root/build/demo-bench"
trap '"$root/tests/bench/bench.sh" cleanup "$bench"' EXIT
"$root/tests/bench/bench.sh" setup "$bench"
"$root/tests/bench/bench.sh" run "$bench" "$root/build/windows/bin/orvh_demo.exe" "/?"
