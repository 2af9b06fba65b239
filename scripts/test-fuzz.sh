#!/usr/bin/env bash
# Builds every libFuzzer target of fuzz/ with clang and runs each for VAROK_FUZZ_RUNS
# executions (default 300000), within VAROK_FUZZ_SECONDS in all (default 300) shared among
# the targets. Fails on a crash, a sanitizer report, a leak or a slow input; the input is
# kept in build-fuzz/artifacts/. A target that runs out of time first is named, not failed.
set -euo pipefail
cd "$(dirname "$0")/.."
total="${VAROK_FUZZ_SECONDS:-300}"
runs="${VAROK_FUZZ_RUNS:-300000}"
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
    echo "-- $name: $runs executions, at most ${each}s"
    if ! build-fuzz/bin/"$name" "$work" "$start" -runs="$runs" -max_total_time="$each" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix=build-fuzz/artifacts/"$name"- -print_final_stats=1 2>build-fuzz/"$name".log; then
        tail -n 60 build-fuzz/"$name".log >&2
        echo "FAILED: $name (see build-fuzz/$name.log and build-fuzz/artifacts/)" >&2
        exit 1
    fi
    grep -E '^(stat::number_of_executed_units|stat::average_exec_per_sec|stat::new_units_added)' \
        build-fuzz/"$name".log || true
    done_runs=$(sed -n 's/^stat::number_of_executed_units: *//p' build-fuzz/"$name".log)
    if [ "${done_runs:-0}" -lt "$runs" ]; then
        echo "note: $name ran out of time after ${done_runs:-0} of $runs executions" >&2
    fi
done
