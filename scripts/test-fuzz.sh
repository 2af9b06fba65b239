#!/usr/bin/env bash
# Builds every libFuzzer target of fuzz/ with clang and runs each for a bounded time:
# VAROK_FUZZ_SECONDS in all (default 60), shared among the targets. Fails on a crash,
# a sanitizer report, a leak or a slow input; the input is kept in build-fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
total="${VAROK_FUZZ_SECONDS:-60}"
jobs="${VAROK_JOBS:-$(nproc)}"

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DVAROK_FUZZ=ON -DVAROK_GUI=OFF -DVAROK_TESTS=OFF \
    -DVAROK_TOOLS=OFF >/dev/null
list=build-fuzz/fuzz-targets.txt
if [ ! -s "$list" ]; then
    echo "No fuzz targets (is the compiler clang?)" >&2
    exit 1
fi
mapfile -t entries <"$list"
targets=()
for entry in "${entries[@]}"; do targets+=("${entry%% *}"); done
cmake --build build-fuzz -j"$jobs" --target "${targets[@]}"

each=$((total / ${#targets[@]}))
[ "$each" -ge 1 ] || each=1
mkdir -p build-fuzz/artifacts
for entry in "${entries[@]}"; do
    name="${entry%% *}"
    start="${entry#* }"
    # New inputs go to the first folder, so the starting inputs in the tree stay untouched.
    work="build-fuzz/corpus/$name"
    mkdir -p "$work"
    echo "-- $name for ${each}s"
    if ! build-fuzz/bin/"$name" "$work" "$start" -max_total_time="$each" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix=build-fuzz/artifacts/"$name"- -print_final_stats=1 2>build-fuzz/"$name".log; then
        tail -n 60 build-fuzz/"$name".log >&2
        echo "FAILED: $name (see build-fuzz/$name.log and build-fuzz/artifacts/)" >&2
        exit 1
    fi
    grep -E '^(stat::number_of_executed_units|stat::new_units_added)' build-fuzz/"$name".log || true
done
