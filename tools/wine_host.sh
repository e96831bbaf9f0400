#!/usr/bin/env bash
# The Wine test host.
#   wine_host.sh setup   DIR        start a private Xvfb display, boot a template prefix in DIR
#   wine_host.sh run     DIR EXE [ARGUMENTS...]
#                                   run a Windows test program in its own copy of the template
#   wine_host.sh with    DIR COMMAND [ARGUMENTS...]
#                                   run a host command that starts Wine programs itself, in this environment
#   wine_host.sh cleanup DIR        stop the display and every wineserver of DIR, remove the prefixes
set -euo pipefail

command=${1:?command}
dir=${2:?host folder}

export WINEDEBUG=-all
# No Gecko/Mono install prompts, no desktop menu entries.
export WINEDLLOVERRIDES="mscoree=d;mshtml=d;winemenubuilder.exe=d"

stop_prefix() { [ -d "$1" ] && WINEPREFIX="$1" wineserver -k 2>/dev/null || true; }

case "$command" in
setup)
    "$0" cleanup "$dir" >/dev/null 2>&1 || true
    mkdir -p "$dir/prefixes"
    display=""
    for n in $(seq 91 140); do
        if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=":$n"; break; fi
    done
    [ -n "$display" ] || { echo "no free X display" >&2; exit 1; }
    Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$dir/xvfb.log" 2>&1 &
    echo $! >"$dir/xvfb.pid"
    echo "$display" >"$dir/display"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
    export DISPLAY="$display" WINEPREFIX="$dir/template"
    wineboot -i >"$dir/wineboot.log" 2>&1
    # Closed windows go away at once without a window manager; no crash dialog.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wineserver -w
    ;;
run)
    exe=${3:?test program}
    prefix="$dir/prefixes/$(basename "$exe" .exe)"
    cp -a "$dir/template" "$prefix"
    export DISPLAY="$(cat "$dir/display")" WINEPREFIX="$prefix"
    rc=0
    wine "$exe" "${@:4}" || rc=$?
    stop_prefix "$prefix"
    [ -n "${ORVH_KEEP_PREFIX:-}" ] || rm -rf "$prefix"
    exit $rc
    ;;
with)
    export DISPLAY="$(cat "$dir/display")"
    exec "${@:3}"
    ;;
cleanup)
    for prefix in "$dir"/prefixes/* "$dir/template"; do stop_prefix "$prefix"; done
    [ -f "$dir/xvfb.pid" ] && kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true
    rm -rf "$dir/xvfb.pid" "$dir/prefixes" "$dir/template"
    ;;
*)
    echo "usage: wine_host.sh setup|run|with|cleanup DIR [EXE|COMMAND [ARGUMENTS...]]" >&2
    exit 2
    ;;
esac
