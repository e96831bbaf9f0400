#!/usr/bin/env bash
# Restarting Windows under Wine, watched from Linux, in prefixes of its own:
#   restart_check.sh BENCH_DIR WINDOWS_BIN_DIR
# 1. A restart without force ends nothing: the program that asked goes on to its end, and a
#    sleeper of the same prefix runs to its end.
# 2. A forced restart ends every process of its prefix - the program that asked and a
#    sleeper at once; Wine then boots the prefix's services again, and they end with the
#    prefix's wineserver some seconds later - while a sleeper in another prefix runs on to
#    its end.
# What tells "ended by the restart" from "ran to its end" is what was left behind: the
# sleepers write "started" into their marker file, then "ended" after their sleep; the
# restarting program writes "requested", "returned" and, 3 s later, "survived".
set -euo pipefail

bench=${1:?bench folder}
bin=${2:?folder of the Windows programs}
[ -d "$bench/template" ] || { echo "bench not set up: $bench" >&2; exit 1; }

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=d;mshtml=d;winemenubuilder.exe=d"
export DISPLAY="$(cat "$bench/display")"

target="$bench/prefixes/restart_check.target"
bystander="$bench/prefixes/restart_check.bystander"
marks="$bench/restart_check.marks"

stop_prefix() { [ -d "$1" ] && WINEPREFIX="$1" wineserver -k 2>/dev/null || true; }
cleanup() {
    stop_prefix "$target"
    stop_prefix "$bystander"
    rm -rf "$target" "$bystander" "$marks"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# The Windows form of a Linux path (Wine maps / to drive Z:).
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# The Linux processes of a prefix: those whose environment names it.
prefix_processes() {
    grep -lzxF "WINEPREFIX=$1" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3 || true
}

wait_for_content() { # file text seconds
    local i
    for i in $(seq $(( $3 * 10 ))); do
        [ "$(cat "$1" 2>/dev/null)" = "$2" ] && return 0
        sleep 0.1
    done
    return 1
}

sleeper() { # prefix milliseconds marker
    WINEPREFIX="$1" timeout 300 wine "$bin/sleeper_standin.exe" "$2" 0 "$(windows_path "$3")"
}

cleanup
mkdir -p "$marks/ask" "$marks/force"
cp -a "$bench/template" "$target"
cp -a "$bench/template" "$bystander"

echo "--- restart without force"
sleeper "$target" 6000 "$marks/ask.sleeper" &
ask_sleeper=$!
wait_for_content "$marks/ask.sleeper" started 60 || fail "the sleeper did not start"
status=0
WINEPREFIX="$target" timeout 120 wine "$bin/restart_standin.exe" ask "$(windows_path "$marks/ask")" || status=$?
[ "$status" -eq 0 ] || fail "the program that asked for the restart ended with status $status"
for mark in requested returned survived; do
    [ -e "$marks/ask/$mark" ] || fail "the program that asked for the restart left no '$mark'"
done
wait "$ask_sleeper" || fail "the sleeper of the prefix ended with status $?"
[ "$(cat "$marks/ask.sleeper")" = ended ] || fail "the sleeper of the prefix did not run to its end"
echo "the program returned from the request and ran to its end; so did the sleeper"
stop_prefix "$target"

echo "--- forced restart"
sleeper "$bystander" 20000 "$marks/bystander.sleeper" &
bystander_sleeper=$!
sleeper "$target" 60000 "$marks/force.sleeper" &
wait_for_content "$marks/bystander.sleeper" started 60 || fail "the bystander's sleeper did not start"
wait_for_content "$marks/force.sleeper" started 60 || fail "the sleeper did not start"
[ -n "$(prefix_processes "$target")" ] || fail "no process of the prefix found before the restart"

WINEPREFIX="$target" timeout 120 wine "$bin/restart_standin.exe" force "$(windows_path "$marks/force")" || true
[ -e "$marks/force/requested" ] || fail "the restart was never requested"
for _ in $(seq 300); do
    [ -z "$(prefix_processes "$target")" ] && break
    sleep 0.1
done
left=$(prefix_processes "$target")
[ -z "$left" ] || fail "processes of the prefix still run: $(ps -o pid=,args= -p ${left//$'\n'/,})"
ended=$(date +%s.%N)
returned=no
[ -e "$marks/force/returned" ] && returned=yes
requested=$(stat -c %.3Y "$marks/force/requested")
echo "every process of the prefix ended within $(awk -v a="$ended" -v b="$requested" 'BEGIN { printf "%.1f", a - b }') s" \
     "of the request (the call had returned before: $returned)"
[ ! -e "$marks/force/survived" ] || fail "the program that asked for the restart survived it"
[ "$(cat "$marks/force.sleeper")" = started ] || fail "the sleeper of the prefix was not ended by the restart"

kill -0 "$bystander_sleeper" 2>/dev/null || fail "the sleeper of another prefix did not outlive the restart"
[ "$(cat "$marks/bystander.sleeper")" = started ] || fail "the sleeper of another prefix ended early"
wait "$bystander_sleeper" || fail "the sleeper of another prefix ended with status $?"
[ "$(cat "$marks/bystander.sleeper")" = ended ] || fail "the sleeper of another prefix did not run to its end"
echo "the sleeper of another prefix ran on to its end"
echo "PASS"
