# Sourced by run.sh and test.sh: installs the Debian packages the build needs.
# As root it runs apt-get; otherwise it prints the exact command and stops.
varok_need_packages() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -eq 0 ]; then
        echo "Installing: ${missing[*]}"
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null || {
            echo "apt-get install failed for: ${missing[*]}" >&2
            exit 1
        }
    else
        echo "Missing packages. Run:" >&2
        echo "  sudo apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
}

# qt6-translations-l10n: the Russian texts of Qt's own buttons (Да, Нет, Отмена) in boxes and file dialogs.
# nlohmann-json3-dev and libcli11-dev: header-only, the JSON of show --json and build, and the command
# lines of varokconfig-cli and verda-sim; the Windows build takes their headers too.
VAROK_BUILD_PACKAGES=(cmake g++ make pkg-config qt6-base-dev libgl-dev qt6-translations-l10n nlohmann-json3-dev
    libcli11-dev)
VAROK_TEST_PACKAGES=(libgtest-dev libgmock-dev clang libclang-rt-14-dev)
# xdg-utils: opens the report in the desktop's text editor.
VAROK_RUN_PACKAGES=(xdg-utils)
# The Windows build and its run under Wine (scripts/test-windows.sh); googletest: its sources;
# nlohmann-json3-dev and libcli11-dev: the command line's headers, copied into the cross build;
# xvfb, xauth and imagemagick: the editor's window on a private display, and its screenshots;
# nsis: the installer (makensis).
VAROK_WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix googletest nlohmann-json3-dev libcli11-dev wine wine64 xvfb xauth
    imagemagick nsis)
# The printable report rendered as a browser prints it (scripts/test-report-browser.sh).
VAROK_REPORT_PACKAGES=(chromium poppler-utils libxml2-utils fonts-dejavu-core)
# The Debian package (scripts/package-linux.sh): manual pages from the help texts, the library
# dependencies (dpkg-shlibdeps, which uses file), and the checks of the package (lintian), its desktop
# entry and MIME type.
VAROK_PACKAGE_PACKAGES=(help2man dpkg-dev file desktop-file-utils libxml2-utils lintian)
