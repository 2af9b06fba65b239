#!/usr/bin/env bash
# Cross-builds the core for Windows with mingw-w64, so the Win32 backends keep compiling.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-mingw -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DVAROK_GUI=OFF -DVAROK_TESTS=OFF -DVAROK_TOOLS=OFF >/dev/null
cmake --build build-mingw -j"$(nproc)" --target core
