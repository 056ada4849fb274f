#!/usr/bin/env bash
# Checks runnable .PRG exports on the emulated Plus/4: for each input picture
# (anything pixolat-convert reads), writes the runnable export, the editor's
# view of it (1:1 PNG) and the emulator's screenshot into OUTDIR, and compares
# the two with compare_emulator_shot.py. Exits non-zero when one differs.
# usage: tools/check_runnable_on_emulator.sh OUTDIR PICTURE...
# Needs build/pixolat-convert and the emulator (../shared/tools/plus4-emu,
# setup.sh once; PLUS4_EMU overrides where it is).
set -euo pipefail
[ $# -ge 2 ] || { sed -n 2,8p "$0"; exit 2; }
here=$(dirname "$(readlink -f "$0")")
convert=${PIXOLAT_CONVERT:-$here/../build/pixolat-convert}
# The emulator sits in shared/tools beside the checkout (or beside its worktree folder).
emulator=${PLUS4_EMU:-}
for candidate in "$here/../../shared/tools/plus4-emu" "$here/../../../shared/tools/plus4-emu"; do
    [ -n "$emulator" ] || [ ! -x "$candidate/run-prg.sh" ] || emulator=$candidate
done
[ -n "$emulator" ] || { echo "set PLUS4_EMU to the plus4-emu folder" >&2; exit 2; }
out=$1
shift
mkdir -p "$out"
status=0
for picture in "$@"; do
    name=$(basename "${picture%.*}")
    echo "== $picture"
    "$convert" --runnable "$picture" "$out/$name.run.prg"
    "$convert" "$picture" "$out/$name.editor.png"
    mode=()
    "$convert" --info "$picture" | grep -q "^image 0: .*multicolor" && mode=(--multicolor)
    "$emulator/run-prg.sh" "$out/$name.run.prg" "$out/$name.emulator.png" 3
    python3 "$here/compare_emulator_shot.py" "${mode[@]}" "$out/$name.editor.png" \
        "$out/$name.emulator.png" || status=1
done
exit $status
