#!/usr/bin/env bash
# Builds OrvhUpdate.exe and runs one delivery under Wine on a private display, as the
# product would start it: "Orvane Hub" 1.1.601 installed, the next version and its patch, a newer
# launcher and ORVHUpdate.cfg waiting in Nuovo, the product's process running. Prints what
# happened: the versions before and after, the folders, the product's command line and
# whether the progress window was shown.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)

"$root/tools/install-deps.sh"
echo "building..."
"$root/tools/build.sh" >/dev/null
bench="$root/build/demo-bench"
trap '"$root/tests/wine_host/wine_host.sh" cleanup "$bench"' EXIT
"$root/tests/wine_host/wine_host.sh" setup "$bench"
"$root/tests/wine_host/wine_host.sh" run "$bench" "$root/build/windows/bin/orvh_demo.exe"
