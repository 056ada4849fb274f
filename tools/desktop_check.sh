#!/usr/bin/env bash
# Drives the real editor under a virtual X server, as a user would, with an
# empty settings store of its own: the first run's window and settings, the
# arrow keys moving the cursor mark, F1 opening the help window, and the
# settings written at close coming back at the next start. Screenshots are
# left in the folder named by the first argument (default: a temporary one).
# Usage: tools/desktop_check.sh [shots folder] [program]   (program relative to the repository)
set -euo pipefail
self="$(cd "$(dirname "$0")" && pwd)/$(basename "$0")"
cd "$(dirname "$self")/.."
shots=${1:-$(mktemp -d)}
program=${2:-build/pixolat}
[ -x "$program" ] || { echo "$program is missing: run 'make build' first" >&2; exit 1; }
if [ "${PIXOLAT_CHECK_INSIDE:-}" != 1 ]; then
    tools/install_packages.sh xvfb xauth x11-utils xdotool imagemagick
    mkdir -p "$shots"
    PIXOLAT_CHECK_INSIDE=1 exec xvfb-run -a -n $((200 + RANDOM % 600)) \
        -s "-screen 0 1280x1024x24" "$self" "$shots" "$program"
fi

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME=$home XDG_CONFIG_HOME=$home/.config QT_QPA_PLATFORM=xcb
store=$XDG_CONFIG_HOME/Varno/Pixolat.conf
title="Varno's Plus/4 Graphics Editor"
failures=0
check() {  # check "what" test-command...
    local what=$1
    shift
    if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
wait_for() {  # wait_for window-name: prints its id
    for _ in $(seq 200); do
        xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 && return 0
        sleep 0.05
    done
    return 1
}
geometry() {  # x,y widthxheight of a window, from the X server
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
        /Width:/ {w=$2} /Height:/ {h=$2} END {print x "," y " " w "x" h}'
}
setting() { sed -n "s/^$1=//p" "$store"; }
start() {
    "$program" >/dev/null 2>&1 &
    pid=$!
    editor=$(wait_for "$title")
    xdotool windowfocus --sync "$editor"
    sleep 0.5
}
finish() {  # F12 closes the editor, which writes the settings
    xdotool windowfocus --sync "$editor" key F12
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
    check "F12 ends the program" bash -c "! kill -0 $pid 2>/dev/null"
}

# First run, empty store.
start
check "the first window is 780 x 580 at (240, 100)" test "$(geometry "$editor")" = "240,100 780x580"
import -window root "$shots/first-run.png"
view="+240+100"  # the window's top left corner: menu bar and the view's first cells
import -window root -crop "160x80$view" "$shots/cursor-before.png"
xdotool key Right Right Right Down Down
sleep 0.3
import -window root -crop "160x80$view" "$shots/cursor-after.png"
import -window root "$shots/after-arrows.png"
moved=$(compare -metric AE "$shots/cursor-before.png" "$shots/cursor-after.png" null: 2>&1 || true)
check "the arrow keys move the cursor mark ($moved pixels changed)" test "${moved%%.*}" -gt 0
xdotool key F1
help=$(wait_for "Keyboard commands - Pixolat Help" || true)
check "F1 opens the help window on the keyboard page" test -n "$help"
[ -n "$help" ] && import -window root "$shots/help.png"
finish
check "closing wrote the first run's values" test \
    "$(setting Grid) $(setting Zoom) $(setting ColorPalette) $(setting WindowState)" = "3 10 1 0"

# Second run: change the grid, the zoom and the window, then close.
start
xdotool key g z
xdotool windowmove --sync "$editor" 100 60 windowsize --sync "$editor" 700 500
sleep 0.3
finish
check "closing wrote the new values" test "$(setting Grid) $(setting Zoom)" = "4 1"

# Third run: they come back.
start
check "the window comes back at (100, 60), 700 x 500" test "$(geometry "$editor")" = "100,60 700x500"
import -window root "$shots/restarted.png"
finish
check "grid and zoom came back and were written again" test "$(setting Grid) $(setting Zoom)" = "4 1"

echo "screenshots in $shots"
[ "$failures" -eq 0 ]
