#!/usr/bin/env bash
# Builds OrvhUpdate.exe and runs one delivery under Wine on a private display, as the
# product would start it: "Orvane Hub" 1.1.601 installed, the next version and its patch, a newer
# launcher and ORVHUpdate.cfg waiting in Nuovo, the product's process running. Prints what
# happened: the versions before and after, the folders, the product's command line,
# whether the progress window was shown, and where a picture of it taken from the display
# while the update ran was saved.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)

"$root/tools/install-deps.sh"
echo "building..."
"$root/tools/build.sh" >/dev/null
bench="$root/build/demo-bench"
picture="$root/build/demo/progress-window.png"
mkdir -p "$(dirname "$picture")"
rm -f "$picture"
capture=""
trap '[ -z "$capture" ] || kill "$capture" 2>/dev/null; "$root/tools/wine_host.sh" cleanup "$bench"' EXIT
"$root/tools/wine_host.sh" setup "$bench"

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
"$root/tools/wine_host.sh" run "$bench" "$root/build/windows/bin/orvh_demo.exe" || rc=$?
kill "$capture" 2>/dev/null || true
wait "$capture" 2>/dev/null || true
capture=""
if [ -s "$picture" ]; then
    echo "picture of the progress window: $picture"
else
    echo "no picture of the progress window: it was never on the display"
fi
exit $rc
