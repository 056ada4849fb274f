#!/usr/bin/env bash
# Runs the benchmarks of a release build folder and prints their results.
# Usage: tools/run_bench.sh [build folder] [extra benchmark options]
set -euo pipefail
dir=${1:-build}
shift || true
bench="$dir/pixolat_bench"
if [ ! -x "$bench" ]; then
    echo "$bench is missing: configure with -DPIXOLAT_BENCH=ON and build the pixolat_bench target" >&2
    exit 1
fi
"$bench" --benchmark_counters_tabular=true "$@"
