#!/usr/bin/env bash
# Builds the editor and the simulated controller, starts the controller on COM3 of a
# private ports folder loaded with the example project, and runs the editor on it.
# Both stop together. Extra arguments go to the editor (e.g. ./run.sh -debug).
set -euo pipefail
cd "$(dirname "$0")"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" != offscreen ]; then
    echo "No display found: the editor needs a desktop session (DISPLAY or WAYLAND_DISPLAY)." >&2
    echo "Without one, try: xvfb-run -a ./run.sh" >&2
    exit 1
fi
. scripts/deps.sh
varok_need_packages "${VAROK_BUILD_PACKAGES[@]}" "${VAROK_RUN_PACKAGES[@]}"
# A build folder of its own: switching the tests off in test.sh's folder would make its next run test nothing.
cmake -S . -B build-run -DVAROK_TESTS=OFF >/dev/null
cmake --build build-run -j"$(nproc)" --target varokconfig verda-sim

ports="$(mktemp -d "${TMPDIR:-/tmp}/varok-ports.XXXXXX")"
sim_out="$ports/sim.out"
build-run/bin/verda-sim --ports "$ports" --com 3 --image examples/Office-Building.usr --pace >"$sim_out" &
sim=$!
cleanup() {
    kill "$sim" 2>/dev/null || true
    wait "$sim" 2>/dev/null || true
    rm -rf "$ports"
}
trap cleanup EXIT INT TERM
for _ in $(seq 100); do
    grep -q '^ready ' "$sim_out" 2>/dev/null && break
    kill -0 "$sim" 2>/dev/null || { echo "The simulated controller did not start." >&2; exit 1; }
    sleep 0.1
done
echo "Simulated controller on COM3 ($(cut -d' ' -f2 "$sim_out")); ports folder $ports"
VAROKCONFIG_PORTS="$ports" build-run/bin/varokconfig "$@"
