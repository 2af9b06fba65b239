#!/usr/bin/env bash
# The Windows command line against verda-sim through COM5 of the Wine prefix in build-windows/
# (a link to the simulator's pseudo-terminal): a read, a write and a verify by varokconfig-cli.exe,
# checked with the Linux CLI and the simulator's memory. Reuses scripts/test-windows.sh's build.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
varok_need_packages "${VAROK_WINDOWS_PACKAGES[@]}"
jobs="${VAROK_JOBS:-$(nproc)}" out=build-windows host=build work=build-windows/wine-link
[ -f "$out/CMakeCache.txt" ] || cmake -S . -B "$out" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DVAROK_GUI=OFF >/dev/null
[ -f "$host/CMakeCache.txt" ] || { host="$out/host" && cmake -S . -B "$host" -DVAROK_GUI=OFF -DVAROK_TESTS=OFF >/dev/null; }
cmake --build "$out" -j"$jobs" --target varokconfig-cli >/dev/null
cmake --build "$host" -j"$jobs" --target verda-sim varokconfig-cli >/dev/null
export WINEPREFIX="$PWD/$out/wine" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=$(command -v wine64 || command -v wine)
wineserver -p60 >/dev/null 2>&1 || true
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
rm -rf "$work" && mkdir -p "$work/ports" && touch "$work/sim.log"
trap '[ -z "${sim:-}" ] || kill "$sim" 2>/dev/null; wineserver -k 2>/dev/null || true' EXIT
fail() { echo "Wine link: $*" >&2 && exit 1; }
# The Windows CLI; its output goes to the log named $1, shown when it fails unexpectedly.
wincli() { local log="$work/$1.log" && shift && "$wine" "$out/bin/varokconfig-cli.exe" "$@" >"$log" 2>&1; }

# The controller holds the example; the write brings a pattern of every byte value.
served="$work/served.usr" pattern="$work/pattern.usr" cli="$host/bin/varokconfig-cli"
head -c 2048 /dev/zero >"$served" && dd if=examples/Office-Building.usr of="$served" conv=notrunc status=none
for _ in 1 2 3 4 5 6 7 8; do for i in $(seq 0 255); do printf "\\$(printf %03o $(((i * 7 + 3) % 256)))"; done; done >"$pattern"
"$host/bin/verda-sim" --ports "$work/ports" --com 5 --image "$served" --save "$work/saved.usr" >"$work/sim.log" 2>&1 &
sim=$!
for _ in $(seq 100); do grep -q '^ready ' "$work/sim.log" && break || sleep 0.1; done
grep -q '^ready ' "$work/sim.log" || fail "verda-sim did not start: $(cat "$work/sim.log")"
ln -sfn "$PWD/$work/ports/com5" "$WINEPREFIX/dosdevices/com5"
export VAROKCONFIG_PORTS="$PWD/$work/ports"

wincli read read --port 5 -o "$work/read.usr" || fail "read failed: $(cat "$work/read.log")"
cmp "$work/read.usr" "$served" || fail "the Windows read differs from the controller's memory"
"$cli" verify --port 5 "$work/read.usr" >/dev/null 2>&1 || fail "the Linux CLI finds another image than the read"
wincli write write --port 5 "$pattern" || fail "write failed: $(cat "$work/write.log")"
"$cli" verify --port 5 "$pattern" >/dev/null 2>&1 || fail "the Linux CLI does not find the pattern written"
wincli verify verify --port 5 "$pattern" || fail "verify of the pattern failed: $(cat "$work/verify.log")"
status=0 && wincli verify-other verify --port 5 "$served" || status=$?
[ "$status" -eq 3 ] || fail "verify of another image ended with $status, not 3: $(cat "$work/verify-other.log")"
kill "$sim" && wait "$sim" || true
sim=
cmp "$work/saved.usr" "$pattern" || fail "the controller's memory is not the pattern written"
echo "Windows CLI through a Wine COM port: read, write and verify checked"
