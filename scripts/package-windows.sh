#!/usr/bin/env bash
# Makes, from a cross-build's install folder, the Windows zip VarokConfig-<version>-win64.zip
# (the editor, the command line, the README, "Как начать.txt" and the example project, in one
# flat folder) and the per-user installer VarokConfig-<version>-setup.exe (win32/installer), both
# in BUILD_DIR, and prints their paths, the zip's first.
#   scripts/package-windows.sh [BUILD_DIR]   (default build-windows; built first when needed)
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-build-windows}"
. scripts/deps.sh
varok_need_packages "${VAROK_WINDOWS_PACKAGES[@]}"
if [ ! -f "$out/CMakeCache.txt" ]; then
    cmake -S . -B "$out" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null
fi
cmake --build "$out" -j"${VAROK_JOBS:-$(nproc)}" --target VarokConfig varokconfig-cli >/dev/null
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$out/CMakeCache.txt")
name="VarokConfig-$version-win64"
stage="$out/package/$name"
rm -rf "$out/package" && mkdir -p "$stage"
# Stripped: the programs carry no debugging information.
cmake --install "$out" --prefix "$stage" --strip >/dev/null
for file in VarokConfig.exe varokconfig-cli.exe README.md "Как начать.txt" examples/Office-Building.usr \
    examples/Office-Building.ini; do
    [ -f "$stage/$file" ] || { echo "The package lacks $file" >&2; exit 1; }
done
rm -f "$out/$name.zip"
(cd "$out/package" && cmake -E tar cf "../$name.zip" --format=zip "$name")
setup="$out/VarokConfig-$version-setup.exe"
rm -f "$setup"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$(realpath "$stage")" \
    -DICON="$PWD/win32/VarokConfig.ico" -DOUTFILE="$(realpath -m "$setup")" win32/installer/VarokConfig.nsi >&2
echo "$out/$name.zip"
echo "$setup"
