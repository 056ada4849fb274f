#!/usr/bin/env bash
# Measures the editor's start-up from outside the process, under a virtual X
# server: the time from starting build/pixolat until its window is mapped and
# viewable, and the resident memory (VmRSS) at that moment and one second
# later. The program has no switches for this, so the script watches it with
# xwininfo and reads /proc/PID/status.
# Usage: tools/measure_startup.sh [runs] [program]
set -euo pipefail
self="$(cd "$(dirname "$0")" && pwd)/$(basename "$0")"
cd "$(dirname "$self")/.."
runs=${1:-5}
program=${2:-build/pixolat}
[ -x "$program" ] || { echo "$program is missing: run 'make build' first" >&2; exit 1; }
[ "${PIXOLAT_MEASURE_INSIDE:-}" = 1 ] || tools/install_packages.sh xvfb xauth x11-utils

measure_once() {
    local title="Varno's Plus/4 Graphics Editor"
    local start end pid rss size rss_later
    start=$(date +%s%N)
    "$program" >/dev/null 2>&1 &
    pid=$!
    # Poll for the mapped window; give up after 20 s.
    for _ in $(seq 4000); do
        if xwininfo -name "$title" 2>/dev/null | grep -q 'Map State: IsViewable'; then
            end=$(date +%s%N)
            break
        fi
        kill -0 "$pid" 2>/dev/null || { echo "the editor exited early" >&2; return 1; }
        sleep 0.005
    done
    [ -n "${end:-}" ] || { kill "$pid"; echo "no window within 20 s" >&2; return 1; }
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
    PIXOLAT_MEASURE_INSIDE=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$self" "$runs" "$program"
fi

times=()
sizes=()
for run in $(seq "$runs"); do
    read -r ms rss later size <<<"$(measure_once)"
    printf "run %d: window shown after %d ms, resident %d MB (%d MB a second later), address space %d MB\n" \
        "$run" "$ms" "$rss" "$later" "$size"
    times+=("$ms")
    sizes+=("$rss")
done
median() { printf "%s\n" "$@" | sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
echo "median of $runs runs: window shown after $(median "${times[@]}") ms, resident $(median "${sizes[@]}") MB"
