#!/usr/bin/env bash
# Builds the editor and starts it (on the simulated controller once it exists).
set -euo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh
varok_need_packages "${VAROK_BUILD_PACKAGES[@]}"
cmake -S . -B build -DVAROK_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)" --target varokconfig
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display: set DISPLAY (or run under xvfb-run ./run.sh) to see the editor." >&2
    exit 1
fi
exec build/bin/varokconfig "$@"
