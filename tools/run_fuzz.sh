#!/usr/bin/env bash
# Builds every fuzz target in fuzz/ (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer over the whole core) in build/fuzz and runs each
# for a bounded time. Fails when any target finds a fault; the input that
# shows it is left in build/fuzz/crashes/<target>/.
#   FUZZ_SECONDS  time per target (default 60)
#   FUZZ_MAX_LEN  longest input in bytes (default 65536)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}
max_len=${FUZZ_MAX_LEN:-65536}
dir=build/fuzz

CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPIXOLAT_FUZZ=ON -DPIXOLAT_GUI=OFF -DPIXOLAT_TESTS=OFF >/dev/null
targets=()
for source in fuzz/*.cpp; do targets+=("$(basename "$source" .cpp)"); done
cmake --build "$dir" -j "${JOBS:-2}" --target "${targets[@]}"

failed=()
for source in fuzz/*.cpp; do
    name=$(basename "$source" .cpp)
    corpus="$dir/corpus/$name"
    crashes="$dir/crashes/$name"
    mkdir -p "$corpus" "$crashes"
    args=(-max_total_time="$seconds" -max_len="$max_len" -rss_limit_mb=4096
          -artifact_prefix="$crashes/" -print_final_stats=1)
    [ -f "fuzz/$name.dict" ] && args+=(-dict="fuzz/$name.dict")
    inputs=("$corpus")
    [ -d "fuzz/seeds/$name" ] && inputs+=("fuzz/seeds/$name")
    echo "== $name (${seconds} s)"
    if ! "$dir/$name" "${args[@]}" "${inputs[@]}"; then
        failed+=("$name")
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "Fuzzing found faults in: ${failed[*]} (inputs in $dir/crashes/)"
    exit 1
fi
echo "Fuzzing found no faults."
