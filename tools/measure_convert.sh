#!/usr/bin/env bash
# Measures pixolat-convert as a whole process: the CPU time (user + system)
# and the peak resident memory of each run, for conversions without pictures
# (.prg to source text, and back) and one that writes a picture (.prg to
# .png). Each conversion runs once to warm the caches, then `runs` times; the
# medians are printed. Measure a Release build (`make build`): a sanitized
# build is several times slower.
# Usage: tools/measure_convert.sh [runs] [program]   (program relative to the repository)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
program=$(realpath "${2:-build/pixolat-convert}")
[ -x "$program" ] || { echo "$program is missing: run 'make build' first" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A small launcher of our own starts each run and reports the kernel's
# account of it (wait4: CPU in microseconds, peak resident memory). A child
# keeps the peak of the process it was forked from, so Python's or the
# shell's own memory would hide the converter's.
cc -O2 -x c -o "$work/launch" - <<'C'
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
int main(int argc, char** argv) {
    if (argc < 2) return 2;
    pid_t pid = fork();
    if (pid == 0) {
        if (!freopen("/dev/null", "w", stdout)) _exit(126);
        execv(argv[1], argv + 1);
        _exit(127);
    }
    int status;
    struct rusage usage;
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) return 1;
    printf("%.2f %.1f\n",
           (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
               (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3,
           usage.ru_maxrss / 1024.0);
    return !(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}
C

median() { printf "%s\n" "$@" | sort -g | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

# One command `runs` times after a warm-up: the medians of CPU time (user +
# system) and peak resident memory.
measure() {
    local label=$1 cpu=() rss=() line
    shift
    for run in $(seq 0 "$runs"); do
        line=$("$work/launch" "$@") || { echo "$label: the converter failed" >&2; exit 1; }
        [ "$run" -eq 0 ] && continue
        cpu+=("${line% *}")
        rss+=("${line#* }")
    done
    printf "%-13s CPU %6s ms (runs: %s), peak resident %5s MB\n" "$label" \
        "$(median "${cpu[@]}")" "${cpu[*]}" "$(median "${rss[@]}")"
}

# The input: a 320 x 200 picture of stripes and blocks, made into a .prg by
# the converter itself (this step loads the picture codec; it is not timed).
python3 - "$work/in.bmp" <<'EOF'
import struct, sys
w, h = 320, 200
row = (w * 3 + 3) & ~3
pixels = bytearray()
for y in range(h - 1, -1, -1):
    line = bytearray()
    for x in range(w):
        on = ((x // 8 + y // 8) % 3 == 0) or (x % 7 == y % 5)
        line += b"\xff\xff\xff" if on else b"\x00\x00\x00"
    pixels += line + b"\0" * (row - len(line))
header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
open(sys.argv[1], "wb").write(header + info + pixels)
EOF
"$program" "$work/in.bmp" "$work/in.prg"
"$program" "$work/in.prg" "$work/in.asm"

echo "$program, median of $runs runs after one warm-up:"
measure "/bin/true" /bin/true
measure ".prg -> .asm" "$program" "$work/in.prg" "$work/out.asm"
measure ".asm -> .prg" "$program" "$work/in.asm" "$work/out.prg"
measure ".prg -> .png" "$program" "$work/in.prg" "$work/out.png"

# Photographs, reading the PNG included (what a user's conversion costs), and
# an 8 x 8 PNG: nearly all of its time is loading the picture codec and
# decoding, the share of every picture conversion that is not the conversion.
photo=bench/pictures/${PHOTO:-astronaut}.png
python3 - "$work/tiny.png" <<'EOF2'
import struct, sys, zlib
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
rows = b"".join(b"\0" + bytes((x * 32 + y) % 256 for x in range(24)) for y in range(8))
png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 8, 8, 8, 2, 0, 0, 0))
       + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))
open(sys.argv[1], "wb").write(png)
EOF2
measure "8x8 .png" "$program" --convert hires --dither none "$work/tiny.png" "$work/t.prg"
for mode in hires multicolor; do
    for dither in none diffusion; do
        measure "$mode $dither" "$program" --convert "$mode" --dither "$dither" "$photo" "$work/p.prg"
    done
done
