#!/usr/bin/env bash
# Builds everything and runs every test: a plain build, then the suite again
# under AddressSanitizer + UBSan, and the threaded serial tests under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh
varok_need_packages "${VAROK_BUILD_PACKAGES[@]}" "${VAROK_TEST_PACKAGES[@]}"
jobs="$(nproc)"
export QT_QPA_PLATFORM=offscreen

echo "== plain build"
cmake -S . -B build >/dev/null
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs")

echo "== AddressSanitizer + UBSan"
cmake -S . -B build-asan -DVAROK_GUI=OFF -DVAROK_SANITIZE=address,undefined >/dev/null
cmake --build build-asan -j"$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j"$jobs")

if [ -d tests/serial ]; then
    echo "== ThreadSanitizer (serial)"
    cmake -S . -B build-tsan -DVAROK_GUI=OFF -DVAROK_TOOLS=OFF -DVAROK_SANITIZE=thread >/dev/null
    cmake --build build-tsan -j"$jobs" --target serial_tests
    TSAN_OPTIONS=halt_on_error=1 build-tsan/bin/serial_tests
fi

for extra in scripts/test-*.sh; do
    [ -e "$extra" ] || continue
    echo "== $extra"
    bash "$extra"
done
