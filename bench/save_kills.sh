#!/usr/bin/env bash
# Kills `varokconfig-cli build` with SIGKILL at a random moment of its save, again and again, and
# opens the project after each kill: the pair must be the old one or the new one, and the folder
# must hold nothing of the save. Usage: bench/save_kills.sh [RUNS] [BIN_DIR]
set -euo pipefail
runs=${1:-200}
bin=$(realpath "${2:-build/bin}")
. "$(dirname "$0")/two_projects.sh"
cp A.usr P.usr && cp A.ini P.ini
mkdir w && mv P.usr P.ini w/
old=0 new=0 mixed=0 left=0 caught=0 recorded=0
for run in $(seq "$runs"); do
    json=B.json; [ $((run % 2)) -eq 0 ] && json=A.json
    "$bin/varokconfig-cli" build "$json" -o w/P.usr 2>/dev/null &
    sleep "$(printf "0.%03d" $((RANDOM % ${VAROK_KILL_WITHIN_MS:-60})))"
    kill -9 $! 2>/dev/null || true
    wait $! 2>/dev/null || true
    [ "$(ls -A w | wc -l)" -eq 2 ] || caught=$((caught + 1))
    [ -e w/.P.usr.vk-save ] && recorded=$((recorded + 1))
    "$bin/varokconfig-cli" show w/P.usr >/dev/null 2>&1 || true
    if cmp -s w/P.usr A.usr && cmp -s w/P.ini A.ini; then
        [ "$json" = A.json ] && new=$((new + 1)) || old=$((old + 1))
    elif cmp -s w/P.usr B.usr && cmp -s w/P.ini B.ini; then
        [ "$json" = B.json ] && new=$((new + 1)) || old=$((old + 1))
    else
        mixed=$((mixed + 1))
    fi
    [ "$(ls -A w | wc -l)" -eq 2 ] || { left=$((left + 1)); ls -A w >&2; }
done
echo "kills: $runs; killed inside the save: $caught, between its record and its end: $recorded"
echo "after the next open: old pair: $old; new pair: $new; mixed: $mixed; runs that left files: $left"
[ "$mixed" -eq 0 ] && [ "$left" -eq 0 ]
