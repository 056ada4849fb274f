#!/usr/bin/env bash
# Proves runnable .PRG exports on the emulated Plus/4 (plus4emu's core, accurate
# to the cycle): for random DFLI pictures (hires and multicolor, every cell of
# every bank random), a photograph converted to DFLI, and random hires and
# multicolor bitmaps, writes the runnable export with pixolat-convert, the
# editor's view of the same picture (1:1 PNG) and the emulator's screenshot,
# and compares the two per 8 x 2 strip with compare_emulator_shot.py. Then
# the same once on an NTSC machine, and once with a DFLI viewer four NOPs (8
# cycles) late, which must be seen as different (the multicolor viewer still
# shows the picture 6 cycles late: its writes come that early in their window). Ends with "N passed, N failed".
# usage: tools/check_runnable_on_emulator.sh [OUTDIR]
# Needs pixolat-convert (PIXOLAT_CONVERT, default build/pixolat-convert),
# 64tass, python3 and the emulator tools in ../shared/tools/plus4emu beside the
# checkout (PLUS4EMU_TOOLS overrides), whose setup script this runs first.
set -uo pipefail
here=$(dirname "$(readlink -f "$0")")
root=$here/..
convert=${PIXOLAT_CONVERT:-$root/build/pixolat-convert}
tools=${PLUS4EMU_TOOLS:-}
for candidate in "$root/../shared/tools/plus4emu" "$root/../../shared/tools/plus4emu"; do
    [ -n "$tools" ] || [ ! -x "$candidate/run-prg-plus4emu.sh" ] || tools=$candidate
done
[ -n "$tools" ] || { echo "no plus4emu tools: set PLUS4EMU_TOOLS" >&2; exit 2; }
out=${1:-$(mktemp -d)}
mkdir -p "$out"
"$tools/setup-plus4emu.sh" >"$out/setup.log" 2>&1 || { cat "$out/setup.log" >&2; exit 1; }

passed=0
failed=0
# check NAME INPUT.prg [RUNNABLE.prg]: the runnable export of INPUT (or the
# given file) against the editor's view of INPUT. EXPECT=different turns the
# verdict round.
check() {
    local name=$1 input=$2 runnable=${3:-$out/$1.run.prg} mode=() verdict=0
    [ $# -ge 3 ] || "$convert" --runnable "$input" "$runnable" || verdict=1
    "$convert" "$input" "$out/$name.editor.png" || verdict=1
    "$convert" --info "$input" | grep -q "^image 0: .*multicolor" && mode=(--multicolor)
    "$tools/run-prg-plus4emu.sh" "$runnable" "$out/$name.emulator.png" 3 2>>"$out/emulator.log" ||
        verdict=1
    python3 "$here/compare_emulator_shot.py" "${mode[@]}" "$out/$name.editor.png" \
        "$out/$name.emulator.png" >"$out/$name.compare.txt" 2>&1 || verdict=$((verdict | 2))
    local wanted=0 shown="shows the editor's picture"
    [ "${EXPECT:-same}" = same ] || { wanted=2; shown="is seen as different"; }
    if [ "$verdict" = "$wanted" ]; then
        passed=$((passed + 1))
        echo "ok:   $name $shown"
    else
        failed=$((failed + 1))
        echo "FAIL: $name (see $out/$name.compare.txt)"
        sed 's/^/      /' "$out/$name.compare.txt"
    fi
}

for kind in dfli-hires dfli-multicolor hires multicolor; do
    python3 "$here/random_prg.py" "$kind" 34 "$out/random-$kind.prg"
    check "random-$kind" "$out/random-$kind.prg"
done
photo=$root/docs/conversion/flower-before.png
"$convert" --convert dfli --multicolor "$photo" "$out/photo-dfli-multicolor.prg" &&
    check photo-dfli-multicolor "$out/photo-dfli-multicolor.prg"
"$convert" --convert dfli "$root/docs/conversion/chelsea-before.png" "$out/photo-dfli-hires.prg" &&
    check photo-dfli-hires "$out/photo-dfli-hires.prg"
P4_NTSC=1 check ntsc-dfli-multicolor "$out/random-dfli-multicolor.prg"

# The DFLI viewer with its writes eight cycles late, in place of the right one.
64tass --quiet -Wall --cbm-prg -D MULTICOLOR=1 -D DELAY=4 -o "$out/late-viewer.prg" \
    "$root/src/formats/viewer/dfli_viewer.asm"
python3 - "$out/random-dfli-multicolor.run.prg" "$out/late-viewer.prg" "$out/late.run.prg" <<'EOF'
import sys
picture, viewer = bytearray(open(sys.argv[1], "rb").read()), open(sys.argv[2], "rb").read()
picture[:len(viewer)] = viewer
open(sys.argv[3], "wb").write(picture)
EOF
EXPECT=different check late-viewer "$out/random-dfli-multicolor.prg" "$out/late.run.prg"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
