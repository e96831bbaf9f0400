#!/usr/bin/env bash
# Builds what it runs (OrvhUpdate.exe, the delivering side's tool OrvhSet.exe, the demo's
# packages and its driver) and runs one delivery under Wine on a private display, as the
# product would start it: the update set (the next version and its patch, a newer launcher)
# made by tools/orvh-set and its plan shown first, then "Orvane Hub" 1.1.601 installed, the set
# waiting in Nuovo, the product's process running. Prints what happened: the versions
# before and after, the folders, the product's command line, whether the progress window
# was shown, and where a picture of it taken from the display while the update ran was saved.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)

"$root/tools/install-deps.sh"
bench="$root/build/demo-bench"
picture="$root/build/demo/progress-window.png"
mkdir -p "$(dirname "$picture")"
rm -f "$picture"
capture="" host=""
trap '[ -z "$capture" ] || kill "$capture" 2>/dev/null; [ -z "$host" ] || wait "$host"; "$root/tools/wine_host.sh" cleanup "$bench"' EXIT
# The display and the booted prefix of the run are made while the build runs.
"$root/tools/wine_host.sh" setup "$bench" &
host=$!

echo "building..."
windows="$root/build/windows"
cmake -S "$root" -B "$windows" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$windows" --target orvh_demo OrvhSet -j "$(nproc)" >/dev/null

update_set="$root/build/demo/set"
rm -rf "$update_set"
# The tool runs in the prefix the build booted for the patch builder.
export WINEPREFIX="$windows/fixture-prefix"
echo "making the update set with tools/orvh-set:"
"$root/tools/orvh-set" make "$update_set" "$windows/bin/fixtures/hub-1.2.0.msi" "$windows/bin/fixtures/hub-1.2.100.msp" \
    "$windows/bin/OrvhUpdate.exe"
echo "its plan for the installed version of this demo, as the launcher's own run decides it:"
"$root/tools/orvh-set" plan "$update_set" --installed 1.1.601
wineserver -k 2>/dev/null || true
unset WINEPREFIX
wait "$host"
host=""

# The display is black but for the launcher's window: every frame that shows something
# replaces the picture, which so keeps the window's last state before it went.
display=$(cat "$bench/display")
(
    while :; do
        if import -display "$display" -window root "$bench/frame.png" 2>/dev/null &&
            [ "$(convert "$bench/frame.png" -format '%[max]' info:)" != "0" ]; then
            convert "$bench/frame.png" -trim +repage "$bench/window.png" && mv "$bench/window.png" "$picture"
        fi
        sleep 0.2
    done
) &
capture=$!
rc=0
"$root/tools/wine_host.sh" run "$bench" "$windows/bin/orvh_demo.exe" "Z:${update_set//\//\\}" || rc=$?
kill "$capture" 2>/dev/null || true
wait "$capture" 2>/dev/null || true
capture=""
if [ -s "$picture" ]; then
    echo "picture of the progress window: $picture"
else
    echo "no picture of the progress window: it was never on the display"
fi
exit $rc
