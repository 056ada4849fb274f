#!/usr/bin/env bash
# The promise that a killed editor loses no work, kept by the program a user
# runs: the real editor under a virtual X server draws three pixels with the
# keys, its recovery file must hold them within 10 seconds of real time, it
# is killed with SIGKILL, and the next start must offer the work back (File >
# Recover Last Session brings the pixels back). Ends with "N passed, N failed".
# Usage: tools/autosave_check.sh [build folder]   (default build/test)
set -uo pipefail
self="$(cd "$(dirname "$0")" && pwd)/$(basename "$0")"
cd "$(dirname "$self")/.."
build=${1:-build/test}
if [ "${PIXOLAT_CHECK_INSIDE:-}" != 1 ]; then
    PIXOLAT_CHECK_INSIDE=1 exec xvfb-run -a -n $((200 + RANDOM % 600)) \
        -s "-screen 0 1280x1024x24" "$self" "$build"
fi
program=$build/pixolat
convert=$build/pixolat-convert
home=$(mktemp -d)
trap 'kill -9 "${pid:-0}" 2>/dev/null; rm -rf "$home"' EXIT
export HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share QT_QPA_PLATFORM=xcb
# Qt and the font libraries keep caches until exit; leaks are checked in the core tests.
export ASAN_OPTIONS=detect_leaks=0
data=$XDG_DATA_HOME/Pixolat
title="Varno's Plus/4 Graphics Editor"
passed=0
failed=0
check() {  # check "what" test-command...
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
        passed=$((passed + 1))
    else
        echo "FAILED: $what"
        failed=$((failed + 1))
    fi
}
start() {
    "$program" >"$home/editor.log" 2>&1 &
    pid=$!
    for _ in $(seq 400); do
        editor=$(xdotool search --onlyvisible --name "$title" 2>/dev/null | head -1)
        [ -n "$editor" ] && break
        sleep 0.05
    done
    xdotool windowfocus --sync "$editor"
    sleep 0.5
}
# The first bitmap byte of a recovery file's image 0, as the converter reads it.
first_byte() {
    "$convert" "$1" "$home/check.prg" >/dev/null 2>&1 &&
        od -An -tx1 -j 2050 -N 1 "$home/check.prg" | tr -d ' '
}
holds_the_pixels() {
    local file
    for file in "$data"/session-*.asm; do
        [ "$(first_byte "$file")" = e0 ] && return 0
    done
    return 1
}

start
# Value 1 at (0, 0), (1, 0) and (2, 0): the first bitmap byte becomes $E0.
xdotool key 1 Right 1 Right 1
changed=$(date +%s%N)
while ! holds_the_pixels && [ $(($(date +%s%N) - changed)) -lt 15000000000 ]; do sleep 0.1; done
took=$((($(date +%s%N) - changed) / 1000000))
in_time() { [ "$took" -le 10000 ] && holds_the_pixels; }
check "the recovery file held the drawing $took ms after the last change (at most 10000)" in_time
kill -9 "$pid"
wait "$pid" 2>/dev/null
first=$(ls "$data"/session-*.asm 2>/dev/null)

start
# File > Recover Last Session (Alt+F, O) > the newest session, then F12:
# closing keeps the recovered work in this session's own file.
xdotool key alt+f o Return
sleep 0.5
xdotool key F12
for _ in $(seq 200); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
closed() { ! kill -0 "$pid" 2>/dev/null; }
check "the editor closed with F12" closed
second=$(ls "$data"/session-*.asm 2>/dev/null | grep -vxF "$first" | head -1)
recovered() { [ -n "$second" ] && [ "$(first_byte "$second")" = e0 ]; }
check "the next start offered the killed session's work back" recovered
[ "$failed" -eq 0 ] || { echo "--- editor output:"; cat "$home/editor.log"; }
echo
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
