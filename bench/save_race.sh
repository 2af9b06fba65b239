#!/usr/bin/env bash
# Six `varokconfig-cli build`s of two configurations into one project at once, again and again:
# the pair must be one configuration's, and a build that fails must name the project's lock.
# Usage: bench/save_race.sh [ROUNDS] [BIN_DIR]
set -euo pipefail
rounds=${1:-100}
bin=$(realpath "${2:-build/bin}")
. "$(dirname "$0")/two_projects.sh"
mkdir w
mixed=0 failed=0 unnamed=0 left=0
for round in $(seq "$rounds"); do
    pids=()
    for writer in 1 2 3 4 5 6; do
        json=A.json; [ $((writer % 2)) -eq 0 ] && json=B.json
        "$bin/varokconfig-cli" build "$json" -o w/P.usr 2>"err.$writer" &
        pids+=($!)
    done
    for writer in 1 2 3 4 5 6; do
        if ! wait "${pids[$((writer - 1))]}"; then
            failed=$((failed + 1))
            grep -q "holds its lock" "err.$writer" || { unnamed=$((unnamed + 1)); cat "err.$writer" >&2; }
        fi
    done
    { cmp -s w/P.usr A.usr && cmp -s w/P.ini A.ini; } || { cmp -s w/P.usr B.usr && cmp -s w/P.ini B.ini; } ||
        mixed=$((mixed + 1))
    [ "$(ls -A w | wc -l)" -eq 2 ] || left=$((left + 1))
done
echo "rounds: $rounds of 6 writers; mixed pairs: $mixed; failures: $failed, of which without the lock named: $unnamed; rounds that left files: $left"
[ "$mixed" -eq 0 ] && [ "$unnamed" -eq 0 ] && [ "$left" -eq 0 ]
