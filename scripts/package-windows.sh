#!/usr/bin/env bash
# Makes the Windows zip VarokConfig-<version>-win64.zip from a cross-build's install folder:
# the editor, the command line, the README and the example project, in one flat folder.
#   scripts/package-windows.sh [BUILD_DIR]   (default build-windows; built first when needed)
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-build-windows}"
if [ ! -f "$out/CMakeCache.txt" ]; then
    . scripts/deps.sh
    varok_need_packages "${VAROK_WINDOWS_PACKAGES[@]}"
    cmake -S . -B "$out" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null
fi
cmake --build "$out" -j"${VAROK_JOBS:-$(nproc)}" --target VarokConfig varokconfig-cli >/dev/null
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$out/CMakeCache.txt")
name="VarokConfig-$version-win64"
stage="$out/package/$name"
rm -rf "$out/package" && mkdir -p "$stage"
# Stripped: the programs carry no debugging information.
cmake --install "$out" --prefix "$stage" --strip >/dev/null
for file in VarokConfig.exe varokconfig-cli.exe README.md examples/Office-Building.usr examples/Office-Building.ini; do
    [ -f "$stage/$file" ] || { echo "The package lacks $file" >&2; exit 1; }
done
rm -f "$out/$name.zip"
(cd "$out/package" && cmake -E tar cf "../$name.zip" --format=zip "$name")
echo "$out/$name.zip"
