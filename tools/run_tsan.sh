#!/usr/bin/env bash
# Builds the tests with clang's ThreadSanitizer in build/tsan and runs those
# that start threads: the autosave, the conversion's bands, and the Import
# Picture dialog's preview workers. GCC 12's ThreadSanitizer crashes here,
# hence clang. Ends with the "N passed, N failed" line of run_tests.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build/tsan

CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPIXOLAT_TSAN=ON \
    -DPIXOLAT_WERROR=ON >/dev/null
cmake --build "$dir" -j "${JOBS:-2}" --target pixolat_tests pixolat_gui_tests

# Qt's own libraries are not instrumented: a race reported inside them is
# not ours to see (tools/tsan.supp). A race halts the run.
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tools/tsan.supp"
log=$(mktemp -d)
trap 'rm -rf "$log"' EXIT
status=0
"$dir/pixolat_tests" --gtest_filter='Recovery.*:PictureConversion.*' 2>&1 | tee "$log/core" ||
    status=1
PIXOLAT_GUI_TESTS=ImportPictureTest,RecoverySessionTest QT_QPA_PLATFORM=offscreen \
    "$dir/pixolat_gui_tests" 2>&1 | tee "$log/gui" || status=1

passed=$(grep -oP '^\[  PASSED  \] \K[0-9]+' "$log/core" | tail -1 || true)
failed=$(grep -oP '^\[  FAILED  \] \K[0-9]+(?= tests?, listed)' "$log/core" | tail -1 || true)
passed=${passed:-0}
failed=${failed:-0}
while read -r p f; do
    passed=$((passed + p))
    failed=$((failed + f))
done < <(grep -oP '^Totals: \K[0-9]+ passed, [0-9]+ failed' "$log/gui" | sed 's/ passed, / /; s/ failed//')
# A race or a crash counts as a failure even when the counts look clean.
if [ "$status" -ne 0 ] && [ "$failed" -eq 0 ]; then failed=1; fi
echo
echo "ThreadSanitizer: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
