#!/usr/bin/env bash
# Kills the editor's Save loop (editor_saves) with SIGKILL at random moments and opens the project
# after each kill: its two files must agree (one save's pair) and nothing of a save may be left.
# Usage: bench/editor_save_kills.sh [RUNS] [BIN_DIR]
set -euo pipefail
runs=${1:-200}
bin=$(realpath "${2:-build/bin}")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mixed=0 left=0 saves=0 recorded=0
for run in $(seq "$runs"); do
    "$bin/editor_saves" "$dir/P.usr" >"$dir/out" &
    sleep "$(printf "0.%03d" $((50 + RANDOM % 250)))"
    kill -9 $! 2>/dev/null || true
    wait $! 2>/dev/null || true
    [ -e "$dir/.P.usr.vk-save" ] && recorded=$((recorded + 1))
    "$bin/varokconfig-cli" show "$dir/P.usr" >/dev/null 2>&1 || true
    [ -s "$dir/out" ] && saves=$((saves + 1))
    image=$(od -An -tu1 -j2047 -N1 "$dir/P.usr" | tr -d ' ')
    length=$(sed -n 's/^1=\([0-9]*\).*/\1/p' "$dir/P.ini")
    [ "$image" = "$length" ] || { mixed=$((mixed + 1)); echo "image $image, length $length" >&2; }
    [ "$(ls -A "$dir" | grep -vc '^out$')" -eq 2 ] || { left=$((left + 1)); ls -A "$dir" >&2; }
done
echo "kills during the editor's saves: $runs (after the first save: $saves; between a save's record and its end: $recorded)"
echo "after the next open: mixed pairs: $mixed; runs that left files: $left"
[ "$mixed" -eq 0 ] && [ "$left" -eq 0 ]
