#!/usr/bin/env bash
# wine_host.sh with HOST_DIR fonts_restart_check.sh HOST_DIR WINDOWS_BUILD_DIR: a run that finds
# obsolete product fonts and restarts Windows, watched from Linux. With 1.1.601 installed, "ORVH MS.TTF" is obsolete, "MONO821N.ttf" is not.
# Wine accepts the request to its shutdown service without restarting: the launcher must end by itself,
# with 1641 (Linux sees its low byte, 105), its event reported before the request. Wine 8 keeps no
# event: ReportEventW prints its id and type on a fixme:advapi line and each string on the eventlog
# channel (trace: for information), which only the Linux side can read from a program with windows.
set -euo pipefail

host=${1:?host folder}
bin="${2:?Windows build tree}/bin"

prefix="$host/prefixes/fonts_restart_check"

# The script itself does not carry WINEPREFIX, so that only Wine's processes match it.
w() { WINEPREFIX="$prefix" "$@"; }
cleanup() { w wineserver -k 2>/dev/null || true; rm -rf "$prefix" "$prefix.debug.txt"; }
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
prefix_processes() { grep -lzxF "WINEPREFIX=$prefix" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3 || true; }

cp -a "$host/template" "$prefix"
drive="$prefix/drive_c"
w wine msiexec /i "Z:${bin//\//\\}\\fixtures\\hub-1.1.601.msi" /qn || fail "installing Orvane Hub 1.1.601"
w wineserver -w

fonts="$drive/windows/Fonts"
mkdir -p "$fonts" "$drive/Upd/Nuovo" "$drive/Prod" "$drive/starts"
echo font | tee "$fonts/ORVH MS.TTF" >"$fonts/MONO821N.ttf"
cp "$bin/fixtures/hub-1.2.0.msi" "$drive/Upd/Nuovo/Orvane Hub.msi"
printf '[Versione]\r\nOrvane Hub.msi=0001.0002.0000.0000\r\n' >"$drive/Upd/Nuovo/ORVHUpdate.cfg"
cp "$bin/product_standin.exe" "$drive/Prod/Hub.exe"

debug="$prefix.debug.txt"
status=0
ORVH_STANDIN_LOG='C:\starts' WINEDEBUG='+eventlog,fixme+advapi' w timeout 120 wine "$bin/OrvhUpdate.exe" \
    '/PathAggiornamento=C:\Upd' '/ExeName=C:\Prod\Hub.exe' 2>"$debug" || status=$?
[ $status -ne 124 ] || fail "OrvhUpdate.exe did not end"
[ $status -eq 105 ] || fail "exit status $status, not the low byte of 1641"
for _ in $(seq 300); do [ -z "$(prefix_processes)" ] && break; sleep 0.1; done
[ -z "$(prefix_processes)" ] || fail "processes of the prefix still run after the restart request"

[ ! -e "$fonts/ORVH MS.TTF" ] || fail "the obsolete font ORVH MS.TTF is still there"
[ -e "$fonts/MONO821N.ttf" ] || fail "MONO821N.ttf, not obsolete for 1.1.601, was deleted"
[ -e "$drive/Upd/Nuovo/Orvane Hub.msi" ] && [ -e "$drive/Upd/Nuovo/ORVHUpdate.cfg" ] || fail "the update set left Nuovo"
[ -z "$(ls -A "$drive/Upd/Corrente")" ] || fail "something was staged into Corrente"
[ -z "$(ls -A "$drive/Upd/Setup")" ] || fail "something was installed from Setup"
[ -z "$(ls -A "$drive/starts")" ] || fail "the product was started"
# The fixture packages are 32-bit; a newer version would have replaced the readme.
grep -q "Orvane Hub 1.1.601" "$drive/Program Files (x86)/Orvane Hub/readme.txt" || fail "Orvane Hub 1.1.601 was replaced"
# The journal tells the restart and ends right after the request.
journal=$(ls "$drive/users/"*/Temp/OrvhUpdate/OrvhUpdate_*.log | grep -v _msi.log) || fail "no journal"
line() { tail -n "$1" "$journal" | head -n 1; }
line 4 | grep -aq "Forced restart of Windows requested" || fail "the journal does not tell the restart"
line 3 | grep -aq "Exit code 1641: " || fail "the journal does not tell the exit code"
line 2 | grep -aq "Event 1002 reported to the Application log" || fail "the journal does not tell the event"
line 1 | grep -aq "End, at once: Windows restarts" || fail "the journal does not end at the restart"
grep -aq 'fixme:advapi:ReportEventW ([0-9A-F]*,0x0004,0x0000,0x000003ea,' "$debug" || fail "no information event 1002"
for string in 'L"Orvane Hub"' 'L"0001.0001.0000.0601"' 'L"1641"' 'OrvhUpdate_'; do
    grep -a 'trace:eventlog:ReportEventW' "$debug" | grep -aqF "$string" || fail "the event lacks $string"
done
