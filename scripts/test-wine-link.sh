#!/usr/bin/env bash
# The Windows command line against a controller through a COM port under Wine: COM5 of the
# Wine prefix in build-windows/ links to the pseudo-terminal of the Linux verda-sim. A read, a
# write and a verify by varokconfig-cli.exe, each checked with the Linux varokconfig-cli and
# the simulator's memory. Runs after scripts/test-windows.sh, whose build and prefix it reuses.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
varok_need_packages "${VAROK_WINDOWS_PACKAGES[@]}"
started=$SECONDS
jobs="${VAROK_JOBS:-$(nproc)}"
out=build-windows

[ -f "$out/CMakeCache.txt" ] ||
    cmake -S . -B "$out" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DVAROK_GUI=OFF >/dev/null
cmake --build "$out" -j"$jobs" --target varokconfig-cli >/dev/null
host=build
[ -f "$host/CMakeCache.txt" ] || { host="$out/host" && cmake -S . -B "$host" -DVAROK_GUI=OFF -DVAROK_TESTS=OFF >/dev/null; }
cmake --build "$host" -j"$jobs" --target verda-sim varokconfig-cli >/dev/null
cli="$host/bin/varokconfig-cli"

export WINEPREFIX="$PWD/$out/wine" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=$(command -v wine64 || command -v wine)
wineserver -p60 >/dev/null 2>&1 || true
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
work="$out/wine-link"
rm -rf "$work" && mkdir -p "$work/ports"
sim=
cleanup() {
    [ -z "$sim" ] || kill "$sim" 2>/dev/null || true
    wineserver -k 2>/dev/null || true
}
trap cleanup EXIT
fail() {
    echo "Wine link: $*" >&2
    exit 1
}
# Runs the Windows CLI; its standard error goes to the log named $1.
wincli() {
    local log=$1
    shift
    "$wine" "$out/bin/varokconfig-cli.exe" "$@" >"$work/$log.log" 2>&1
}

# The controller holds the example; the write brings a pattern of every byte value.
served="$work/served.usr"
head -c 2048 /dev/zero >"$served"
dd if=examples/Office-Building.usr of="$served" conv=notrunc status=none
for _ in 1 2 3 4 5 6 7 8; do
    for i in $(seq 0 255); do printf "\\$(printf %03o $(((i * 7 + 3) % 256)))"; done
done >"$work/pattern.usr"
[ "$(stat -c %s "$work/pattern.usr")" -eq 2048 ] || fail "the pattern is not 2048 bytes"

touch "$work/sim.log"
"$host/bin/verda-sim" --ports "$work/ports" --com 5 --image "$served" --save "$work/saved.usr" \
    >"$work/sim.log" 2>&1 &
sim=$!
for _ in $(seq 100); do
    grep -q '^ready ' "$work/sim.log" && break
    sleep 0.1
done
grep -q '^ready ' "$work/sim.log" || { cat "$work/sim.log" >&2; fail "verda-sim did not start"; }
ln -sfn "$PWD/$work/ports/com5" "$WINEPREFIX/dosdevices/com5"
export VAROKCONFIG_PORTS="$PWD/$work/ports"

# Read: the Windows CLI's image is the controller's, as the Linux CLI reads it too.
wincli read read --port 5 -o "$work/read-windows.usr" || { cat "$work/read.log" >&2; fail "read failed"; }
"$cli" read --port 5 -o "$work/read-linux.usr" 2>/dev/null || fail "the Linux read failed"
cmp "$work/read-windows.usr" "$served" || fail "the Windows read differs from the controller's memory"
"$cli" diff "$work/read-windows.usr" "$work/read-linux.usr" >/dev/null ||
    fail "the Windows read differs from the Linux read"

# Write: the Linux CLI finds the pattern in the controller.
wincli write write --port 5 "$work/pattern.usr" || { cat "$work/write.log" >&2; fail "write failed"; }
"$cli" verify --port 5 "$work/pattern.usr" >/dev/null 2>&1 || fail "the Linux verify finds the write incomplete"

# Verify: the pattern matches; the example, which the controller no longer holds, does not.
wincli verify verify --port 5 "$work/pattern.usr" || {
    cat "$work/verify.log" >&2
    fail "verify of the written pattern failed"
}
status=0
wincli verify-other verify --port 5 "$served" || status=$?
[ "$status" -eq 3 ] || { cat "$work/verify-other.log" >&2; fail "verify of another image ended with $status, not 3"; }

kill "$sim" && wait "$sim" || true
sim=
cmp "$work/saved.usr" "$work/pattern.usr" || fail "the controller's memory is not the pattern written"
echo "Windows CLI through a Wine COM port: read, write and verify checked, in $((SECONDS - started)) s"
