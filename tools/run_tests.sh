#!/usr/bin/env bash
# Runs the core and window tests of a build folder and ends with one line:
# "N passed, N failed".
set -uo pipefail
dir=${1:-build/test}
log=$(mktemp -d)
trap 'rm -rf "$log"' EXIT

# Qt and the font libraries keep caches until exit; leaks are checked in the core tests.
ASAN_OPTIONS=detect_leaks=1 "$dir/pixolat_tests" 2>&1 | tee "$log/core"
core_status=${PIPESTATUS[0]}
ASAN_OPTIONS=detect_leaks=1 "$dir/pixolat_convert_tests" 2>&1 | tee "$log/convert"
convert_status=${PIPESTATUS[0]}
# The conversion's tests and the converter's once more on the conversion's
# plain loops, as a processor without AVX2 runs them (they must give the same
# bytes; this machine may run the wide ones).
PIXOLAT_PLAIN_LOOPS=1 ASAN_OPTIONS=detect_leaks=1 "$dir/pixolat_tests" \
    --gtest_filter='PictureConversion.*' 2>&1 | tee "$log/plain"
plain_status=${PIPESTATUS[0]}
PIXOLAT_PLAIN_LOOPS=1 ASAN_OPTIONS=detect_leaks=1 "$dir/pixolat_convert_tests" 2>&1 |
    tee "$log/plain-convert"
plain_convert_status=${PIPESTATUS[0]}
QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 "$dir/pixolat_gui_tests" 2>&1 | tee "$log/gui"
gui_status=${PIPESTATUS[0]}

# The real editor, killed with SIGKILL, loses no work (under a virtual X server).
tools/autosave_check.sh "$dir" 2>&1 | tee "$log/autosave"
autosave_status=${PIPESTATUS[0]}

# The runnable exports on the emulated Plus/4, where its tools lie beside the
# checkout (../shared/tools/plus4emu): a handful of emulator runs.
emulator_status=0
here=$(dirname "$(readlink -f "$0")")
if [ -x "$here/../../shared/tools/plus4emu/run-prg-plus4emu.sh" ] || [ -n "${PLUS4EMU_TOOLS:-}" ]; then
    PIXOLAT_CONVERT="$dir/pixolat-convert" "$here/check_runnable_on_emulator.sh" "$log/emulator" 2>&1 |
        tee "$log/emulator.out"
    emulator_status=${PIPESTATUS[0]}
fi

passed=0
failed=0
for part in core convert plain plain-convert; do
    p=$(grep -oP '^\[  PASSED  \] \K[0-9]+' "$log/$part" | tail -1)
    f=$(grep -oP '^\[  FAILED  \] \K[0-9]+(?= tests?, listed)' "$log/$part" | tail -1)
    passed=$((passed + ${p:-0}))
    failed=$((failed + ${f:-0}))
done
while read -r p f; do
    passed=$((passed + p))
    failed=$((failed + f))
done < <(grep -hoP '^(Totals: )?\K[0-9]+ passed, [0-9]+ failed' "$log/gui" "$log/autosave" |
    sed 's/ passed, / /; s/ failed//')
if [ -f "$log/emulator.out" ]; then
    read -r p f < <(grep -oP '^\K[0-9]+ passed, [0-9]+ failed$' "$log/emulator.out" | tail -1 |
        sed 's/ passed, / /; s/ failed//')
    passed=$((passed + ${p:-0}))
    failed=$((failed + ${f:-0}))
fi
# A crash counts as a failure even when the counts look clean.
if [ "$emulator_status" -ne 0 ] && [ "$failed" -eq 0 ]; then failed=1; fi
if [ "$core_status" -ne 0 ] && [ "$failed" -eq 0 ]; then failed=1; fi
if [ "$convert_status" -ne 0 ] && [ "$failed" -eq 0 ]; then failed=1; fi
if [ "$gui_status" -ne 0 ] && [ "$failed" -eq 0 ]; then failed=1; fi
if [ "$autosave_status" -ne 0 ] && [ "$failed" -eq 0 ]; then failed=1; fi
if [ "$plain_status" -ne 0 ] && [ "$failed" -eq 0 ]; then failed=1; fi
if [ "$plain_convert_status" -ne 0 ] && [ "$failed" -eq 0 ]; then failed=1; fi
echo
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
