#!/usr/bin/env bash
# Measures the editor's start-up from outside the process, under a virtual X
# server: the time from starting build/pixolat until its window is mapped and
# viewable, and the resident memory (VmRSS) at that moment and one second
# later. The program has no switches for this, so the script watches it with
# xev and xwininfo and reads /proc/PID/status. The editor's own messages go to
# the file named by PIXOLAT_MEASURE_LOG, if set.
# Usage: tools/measure_startup.sh [runs] [program]   (program relative to the repository)
set -euo pipefail
self="$(cd "$(dirname "$0")" && pwd)/$(basename "$0")"
cd "$(dirname "$self")/.."
runs=${1:-5}
program=${2:-build/pixolat}
[ -x "$program" ] || { echo "$program is missing: run 'make build' first" >&2; exit 1; }
[ "${PIXOLAT_MEASURE_INSIDE:-}" = 1 ] || tools/install_packages.sh xvfb xauth x11-utils

measure_once() {
    local title="Varno's Plus/4 Graphics Editor"
    local events start end="" pid watcher rss size rss_later maps seen=0
    # One X client watches the root window for windows being mapped, so the
    # wait adds no X traffic (polling the server with new clients makes it
    # refuse the editor's own connection now and then).
    events=$(mktemp)
    stdbuf -oL xev -root -event substructure >"$events" 2>/dev/null &
    watcher=$!
    sleep 0.3
    start=$(date +%s%N)
    "$program" >/dev/null 2>>"${PIXOLAT_MEASURE_LOG:-/dev/null}" &
    pid=$!
    for _ in $(seq 4000); do  # 20 s at most
        maps=$(grep -c MapNotify "$events" || true)
        if [ "$maps" -gt "$seen" ]; then
            end=$(date +%s%N)
            seen=$maps
            xwininfo -name "$title" 2>/dev/null | grep -q 'Map State: IsViewable' && break
            end=""
        fi
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.005
    done
    kill "$watcher" 2>/dev/null || true
    rm -f "$events"
    if [ -z "$end" ]; then
        kill "$pid" 2>/dev/null || true
        echo "no editor window (the editor exited or took over 20 s)" >&2
        return 1
    fi
    rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status")
    size=$(awk '/^VmSize:/ {print $2}' "/proc/$pid/status")
    sleep 1
    rss_later=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status")
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    echo "$(((end - start) / 1000000)) $((rss / 1024)) $((rss_later / 1024)) $((size / 1024))"
}

if [ "${PIXOLAT_MEASURE_INSIDE:-}" != 1 ]; then
    # Run this script again inside a fresh virtual X server.
    # A display number of its own: other virtual servers on the machine may
    # come and go while this runs.
    PIXOLAT_MEASURE_INSIDE=1 exec xvfb-run -a -n $((200 + RANDOM % 600)) -s "-screen 0 1280x1024x24" "$self" "$runs" "$program"
fi

times=()
sizes=()
for run in $(seq "$runs"); do
    # A run that fails (the X server went away, say) is tried once more.
    line=$(measure_once) || line=$(measure_once) || { echo "run $run failed" >&2; exit 1; }
    read -r ms rss later size <<<"$line"
    printf "run %d: window shown after %d ms, resident %d MB (%d MB a second later), address space %d MB\n" \
        "$run" "$ms" "$rss" "$later" "$size"
    times+=("$ms")
    sizes+=("$rss")
done
median() { printf "%s\n" "$@" | sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
echo "median of $runs runs: window shown after $(median "${times[@]}") ms, resident $(median "${sizes[@]}") MB"
