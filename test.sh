#!/usr/bin/env bash
# Builds everything and runs every test: a plain build, then the suite again
# under AddressSanitizer + UBSan, and the threaded serial tests under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
started=$SECONDS
. scripts/deps.sh
varok_need_packages "${VAROK_BUILD_PACKAGES[@]}" "${VAROK_TEST_PACKAGES[@]}"
jobs="$(nproc)"
export QT_QPA_PLATFORM=offscreen

echo "== plain build"
cmake -S . -B build >/dev/null
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs") | tee build/ctest.log

echo "== AddressSanitizer + UBSan (the views too, offscreen)"
cmake -S . -B build-asan -DVAROK_SANITIZE=address,undefined >/dev/null
cmake --build build-asan -j"$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j"$jobs") |
    tee build-asan/ctest.log

echo "== ThreadSanitizer (the threaded serial and link tests)"
cmake -S . -B build-tsan -DVAROK_GUI=OFF -DVAROK_SANITIZE=thread >/dev/null
cmake --build build-tsan -j"$jobs" --target serial_tests link_tests verda-sim
export TSAN_OPTIONS=halt_on_error=1
build-tsan/bin/serial_tests
build-tsan/bin/link_tests
unset TSAN_OPTIONS

for extra in scripts/test-*.sh; do
    [ -e "$extra" ] || continue
    echo "== $extra"
    bash "$extra"
done

plain=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' build/ctest.log | tail -1)
asan=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' build-asan/ctest.log | tail -1)
echo "All checks passed in $((SECONDS - started)) s: $plain tests plain, $asan under ASan+UBSan, serial and link under TSan."
windows=$(cat build-windows/tests-passed 2>/dev/null || echo 0)
echo "Windows tests under Wine: $windows"
echo "tests: $((plain + asan + windows)) passed, 0 failed"
