#!/usr/bin/env bash
# Cross-builds the Windows editor, the command-line tool and the core's tests with mingw-w64 and
# runs them under Wine on Xvfb, in a private Wine prefix inside build-windows/. Two COM ports of
# that prefix link to pseudo-terminals served by the Linux verda-sim: COM3 answers at once, COM4
# takes bytes at line speed (--pace). The Windows CLI's report of the example must equal the Linux
# CLI's byte for byte. The editor is driven through its own window (tests/win32/WindowDriver.cpp)
# against a third simulator, started from a read-only program folder, and installed with the
# installer, opened through the .usr association and uninstalled; the zip is checked too.
# VAROK_WINDOWS_FIGURES=1 also measures the editor's start and a paced read.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
varok_need_packages "${VAROK_WINDOWS_PACKAGES[@]}"
# The editor's windows need a display: the whole run goes on a private Xvfb.
if [ -z "${VAROK_WINDOWS_XVFB:-}" ]; then
    VAROK_WINDOWS_XVFB=1 exec xvfb-run -a -s "-screen 0 1366x768x24" bash "$0" "$@"
fi
started=$SECONDS
jobs="${VAROK_JOBS:-$(nproc)}"
out=build-windows

# The plain configure with the toolchain file alone builds the editor and the command line.
cmake -S . -B "$out" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null
cmake --build "$out" -j"$jobs"
rm -rf "$out/install"
cmake --install "$out" --prefix "$out/install" --strip >/dev/null
for file in VarokConfig.exe varokconfig-cli.exe README.md examples/Office-Building.usr examples/Office-Building.ini; do
    [ -f "$out/install/$file" ] || { echo "The install folder lacks $file" >&2; exit 1; }
done

# The Linux side: the simulator and the CLI whose report is the reference.
host=build
[ -f "$host/CMakeCache.txt" ] || { host="$out/host" && cmake -S . -B "$host" -DVAROK_GUI=OFF -DVAROK_TESTS=OFF >/dev/null; }
cmake --build "$host" -j"$jobs" --target verda-sim varokconfig-cli >/dev/null

export WINEPREFIX="$PWD/$out/wine" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=$(command -v wine64 || command -v wine)
# One server for all the runs below (a Wine start after the first takes a second, not five); it
# stays a minute after the last program. A server left running from before serves as well.
wineserver -p60 >/dev/null 2>&1 || true
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
# A copied folder must run on a bare Windows: every DLL the programs import is one of the
# system's own (no runtime DLL of the compiler, no toolkit). They are handed out stripped.
for exe in VarokConfig.exe varokconfig-cli.exe; do
    if x86_64-w64-mingw32-objdump -h "$out/install/$exe" | grep -q '\.debug_'; then
        echo "$exe is not stripped" >&2
        exit 1
    fi
    for dll in $(x86_64-w64-mingw32-objdump -p "$out/install/$exe" | sed -n 's/^\s*DLL Name: //p'); do
        if [ ! -f "$WINEPREFIX/drive_c/windows/system32/${dll,,}" ] || [[ ${dll,,} =~ ^lib(stdc|gcc|winpthread) ]]; then
            echo "$exe needs $dll, which is not one of the system's DLLs" >&2
            exit 1
        fi
    done
done
ports="$out/ports"
rm -rf "$ports" && mkdir -p "$ports"
# A Windows path for a Linux one (Wine's drive Z: is the root).
winpath() { echo "Z:$(realpath -m "$1" | tr / '\\')"; }
sims=()
cleanup() {
    for pid in "${sims[@]}"; do kill "$pid" 2>/dev/null || true; done
    wineserver -k 2>/dev/null || true
}
trap cleanup EXIT
# Serves port $1 with the further options; links the prefix's COM port to the simulator's terminal.
serve() {
    local com=$1
    shift
    "$host/bin/verda-sim" --ports "$ports" --com "$com" "$@" >"$ports/sim$com.log" 2>&1 &
    sims+=($!)
    for _ in $(seq 100); do
        grep -q '^ready ' "$ports/sim$com.log" && break
        sleep 0.1
    done
    grep -q '^ready ' "$ports/sim$com.log" || { cat "$ports/sim$com.log" >&2; exit 1; }
    ln -sfn "$PWD/$ports/com$com" "$WINEPREFIX/dosdevices/com$com"
}
serve 3
serve 4 --pace

# Starting a thread under Wine takes tens of milliseconds: the thousand opens and closes (five
# thousand threads, on the fake device, so nothing of Win32) would take minutes. They run on Linux.
left_out=WorkerTest.ThousandOpenCloseCyclesWhileStreaming
total=0
for test in "$out"/bin/*_tests.exe; do
    name=$(basename "$test" .exe)
    if ! VAROK_WINE_COM=3 VAROK_WINE_SLOW_COM=4 "$wine" "$test" --gtest_brief=1 --gtest_filter=-"$left_out" \
        >"$out/$name.log" 2>&1; then
        cat "$out/$name.log" >&2
        echo "FAILED under Wine: $name (see $out/$name.log)" >&2
        exit 1
    fi
    if grep -q '\[  SKIPPED \]' "$out/$name.log"; then
        grep -A3 '\[  SKIPPED \]' "$out/$name.log" >&2
        echo "Skipped under Wine: $name" >&2
        exit 1
    fi
    count=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) test.*/\1/p' "$out/$name.log")
    echo "$name: $count passed under Wine"
    total=$((total + count))
done

# The report of the example, and of the same project under a Cyrillic name, as the Linux CLI writes them.
cyrillic="$out/Проекты"
rm -rf "$cyrillic" && mkdir -p "$cyrillic"
cp examples/Office-Building.usr "$cyrillic/Школа 5.usr"
cp examples/Office-Building.ini "$cyrillic/Школа 5.ini"
for project in examples/Office-Building.usr "$cyrillic/Школа 5.usr"; do
    "$host/bin/varokconfig-cli" report "$project" -o "$out/report-linux.txt"
    "$wine" "$out/install/varokconfig-cli.exe" report "$project" -o "$cyrillic/Отчёт.txt"
    if ! cmp "$out/report-linux.txt" "$cyrillic/Отчёт.txt"; then
        echo "The Windows report of $project differs from the Linux one" >&2
        exit 1
    fi
done
# The side file of a Cyrillic name is found: lengths that differ make diff exit 3.
cp "$cyrillic/Школа 5.usr" "$cyrillic/Школа 6.usr"
sed 's/^1=12/1=13/' "$cyrillic/Школа 5.ini" >"$cyrillic/Школа 6.ini"
status=0
"$wine" "$out/install/varokconfig-cli.exe" diff "$cyrillic/Школа 5.usr" "$cyrillic/Школа 6.usr" \
    >"$out/diff.txt" 2>&1 || status=$?
if [ "$status" != 3 ] || ! grep -q "message 1 length" "$out/diff.txt"; then
    cat "$out/diff.txt" >&2
    echo "The Windows diff missed the lengths of a project with a Cyrillic name (exit $status)" >&2
    exit 1
fi
# A backup named otherwise than the project is still the project.
status=0
(cd "$out" && "$wine" install/varokconfig-cli.exe write --port 3 --backup "./Проекты/Школа 5.usr" \
    'Проекты\Школа 5.usr') >"$out/backup.txt" 2>&1 || status=$?
if [ "$status" != 2 ] || ! grep -q "is the input" "$out/backup.txt"; then
    cat "$out/backup.txt" >&2
    echo "The Windows --backup guard let the project itself through (exit $status)" >&2
    exit 1
fi
# The zip and the installer to hand out; the zip holds the two programs, the texts and the example.
mapfile -t packages < <(bash scripts/package-windows.sh "$out" | tail -2)
zip=${packages[0]} setup=${packages[1]:-}
[ -f "$zip" ] && [ -f "$setup" ] || { echo "scripts/package-windows.sh made no zip and installer" >&2; exit 1; }
listing=$(cmake -E tar tf "$zip")
for file in VarokConfig.exe varokconfig-cli.exe README.md "Как начать.txt" examples/Office-Building.usr \
    examples/Office-Building.ini; do
    grep -q "/$file\$" <<<"$listing" || { echo "$zip lacks $file" >&2; exit 1; }
done
# The editor is installed silently for this user alone and runs from there, its folder made
# read-only as under Program Files. Windows shows the user's classes in HKEY_CLASSES_ROOT, Wine 8
# the machine's alone: the run copies the association there for Explorer's look-up. Documents
# is the prefix's own folder, not the Linux home Wine links it to.
"$wine" "$setup" /S
user=$(id -un)
installed="$WINEPREFIX/drive_c/users/$user/AppData/Local/Programs/VarokConfig"
menu="$WINEPREFIX/drive_c/users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/VarokConfig.lnk"
for file in "$installed/VarokConfig.exe" "$installed/Как начать.txt" "$menu"; do
    [ -f "$file" ] || { echo "The installer did not make $file" >&2; exit 1; }
done
classes=('.usr' 'VarokConfig.Project')
for key in "${classes[@]}"; do
    "$wine" reg copy "HKCU\\Software\\Classes\\$key" "HKLM\\Software\\Classes\\$key" /s /f >/dev/null
done
docs="$WINEPREFIX/drive_c/users/$user/Documents"
if [ -L "$docs" ]; then rm "$docs" && mkdir "$docs"; fi
rm -f "$docs"/VarokConfig.*
chmod a-w "$installed"
# The editor, driven through its window against COM6 on an English system (C.UTF-8: Wine also
# takes the encoding of Linux file names from it, and Cyrillic names need UTF-8): the report before any
# Open or Save (into Documents, shown in Notepad), connect with the line parameters set by
# keyboard, read, change a stage, write, save, report, and the saved project opened through the
# association. After the read and after the save every editor control must show what the core
# decodes. Screenshots are kept in $out/gui-run.
run="$out/gui-run"
rm -rf "$run" && mkdir -p "$run"
serve 6 --image examples/Office-Building.usr --save "$run/controller.usr"
sim6=${sims[-1]}
LC_ALL=C.UTF-8 LANG=C.UTF-8 "$wine" "$out/bin/WindowDriver.exe" run "$(winpath "$installed/VarokConfig.exe")" \
    --com 6 --image "$(winpath examples/Office-Building.usr)" --save "$(winpath "$run")\\Проект 1.usr" \
    --signals "$(winpath "$run")" >"$run/driver.log" 2>&1 &
driver=$!
# The driver says when its window is worth a picture and waits for it.
while kill -0 "$driver" 2>/dev/null; do
    for shot in $(sed -n 's/^SIGNAL //p' "$run/driver.log" 2>/dev/null | tr -d '\r'); do
        [ -f "$run/$shot.done" ] && continue
        import -window root "$run/$shot.png" || true
        touch "$run/$shot.done"
    done
    sleep 0.2
done
if ! wait "$driver"; then
    cat "$run/driver.log" >&2
    echo "The editor's scripted run failed (see $run/driver.log)" >&2
    exit 1
fi
chmod u+w "$installed"
# The controller's memory, as the simulator keeps it, is the project the editor saved; the
# editor's report is the Linux command line's of that project.
kill "$sim6" && wait "$sim6" || true
"$host/bin/varokconfig-cli" diff "$run/controller.usr" "$run/Проект 1.usr" >&2 ||
    { echo "The controller does not hold the project the editor wrote and saved" >&2; exit 1; }
"$host/bin/varokconfig-cli" report "$run/Проект 1.usr" -o "$run/report-linux.txt"
cmp "$run/report-linux.txt" "$run/VarokConfig.txt" ||
    { echo "The editor's report differs from the Linux command line's" >&2; exit 1; }
gui=$(grep -c '^the window shows what the core holds' "$run/driver.log" | tr -d '\r')
echo "Windows editor under Wine: a whole run through its window, $gui comparisons of every control"

# The uninstaller leaves nothing of what the installer made.
for key in "${classes[@]}"; do
    "$wine" reg delete "HKLM\\Software\\Classes\\$key" /f >/dev/null
done
"$wine" "$installed/uninstall.exe" /S
for _ in $(seq 150); do
    [ -e "$installed" ] || break
    sleep 0.2
done
for key in "${classes[@]/#/Software\\Classes\\}" 'Software\VarokConfig' \
    'Software\Microsoft\Windows\CurrentVersion\Uninstall\VarokConfig'; do
    ! "$wine" reg query "HKCU\\$key" >/dev/null 2>&1 || { echo "The uninstaller left HKCU\\$key" >&2; exit 1; }
done
[ ! -e "$installed" ] && [ ! -e "$menu" ] || { echo "The uninstaller left $installed or $menu" >&2; exit 1; }
echo "Packages: $zip ($(stat -c %s "$zip") bytes), $setup ($(stat -c %s "$setup") bytes): installed, run, uninstalled"

if [ -n "${VAROK_WINDOWS_FIGURES:-}" ]; then
    "$wine" "$out/bin/WindowDriver.exe" startup "$(winpath "$out/install/VarokConfig.exe")" --count 10
    "$wine" "$out/bin/WindowDriver.exe" read-time "$(winpath "$out/install/VarokConfig.exe")" --com 4
fi

echo "$total" >"$out/tests-passed"
echo "Windows under Wine: $total tests passed, reports identical, the editor's run passed, in $((SECONDS - started)) s"
