#!/usr/bin/env bash
# Builds the Debian package with cpack and prints its path as the last line. Reuses the plain
# build/ tree when there is one (./test.sh builds it first); otherwise builds the programs alone
# in build-package/.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
varok_need_packages "${VAROK_BUILD_PACKAGES[@]}" "${VAROK_PACKAGE_PACKAGES[@]}"
dir=build
[ -f build/CMakeCache.txt ] || dir=build-package
if [ "$dir" = build-package ]; then
    cmake -S . -B "$dir" -DVAROK_TESTS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
else
    cmake -S . -B "$dir" >/dev/null
fi
sanitize=$(sed -n 's/^VAROK_SANITIZE:STRING=//p' "$dir/CMakeCache.txt")
if [ -n "$sanitize" ]; then
    echo "$dir is a sanitizer build ($sanitize): no package from it" >&2
    exit 1
fi
cmake --build "$dir" -j"$(nproc)" >&2
# A package of an earlier version or revision would be taken for this one.
rm -f "$dir"/package/varokconfig_*.deb
(cd "$dir" && cpack -G DEB -B "$PWD/package" >&2)
ls "$dir"/package/varokconfig_*.deb
