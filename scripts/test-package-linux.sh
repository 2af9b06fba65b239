#!/usr/bin/env bash
# Builds the Debian package and checks it as a user gets it: its contents and dependencies, the
# desktop entry and the MIME type, then the installed programs. As root (where the package is not
# installed already) it installs with dpkg -i and removes it again; elsewhere it unpacks with dpkg -x.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
varok_need_packages "${VAROK_BUILD_PACKAGES[@]}" "${VAROK_PACKAGE_PACKAGES[@]}"
deb=$(scripts/package-linux.sh | tail -1)
work=$(mktemp -d "${TMPDIR:-/tmp}/varok-package.XXXXXX")
installed=
cleanup() {
    [ -z "$installed" ] || dpkg -r varokconfig >/dev/null || echo "dpkg -r varokconfig failed" >&2
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "package: $*" >&2
    exit 1
}

dpkg-deb -c "$deb" | awk '{print $NF}' >"$work/contents"
for f in bin/varokconfig bin/varokconfig-cli bin/verda-sim share/applications/varokconfig.desktop \
    share/mime/packages/varokconfig.xml share/icons/hicolor/scalable/apps/varokconfig.svg \
    share/man/man1/varokconfig.1 share/man/man1/varokconfig-cli.1 share/man/man1/verda-sim.1 \
    share/bash-completion/completions/varokconfig-cli share/doc/varokconfig/README.md \
    share/varokconfig/examples/Office-Building.usr share/varokconfig/examples/Office-Building.ini; do
    grep -qx "\./usr/$f" "$work/contents" || fail "$f is missing"
done
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libc6 libstdc++6; do
    [[ $depends == *"$lib"* ]] || fail "Depends lacks $lib: $depends"
done

dpkg-deb -x "$deb" "$work/root"
problems=$(desktop-file-validate "$work/root/usr/share/applications/varokconfig.desktop" 2>&1 | grep -v ': hint: ' || true)
[ -z "$problems" ] || fail "the desktop entry: $problems"
grep -qx 'MimeType=application/x-varokconfig-project;' "$work/root/usr/share/applications/varokconfig.desktop" ||
    fail "the desktop entry takes no projects"
xmllint --noout "$work/root/usr/share/mime/packages/varokconfig.xml"
# The tool's manual page holds every command's options, the system's texts in UTF-8.
grep -q 'Подключено на COM 3' "$work/root/usr/share/man/man1/varokconfig-cli.1" &&
    grep -q 'backup FILE' "$work/root/usr/share/man/man1/varokconfig-cli.1" || fail "the manual page lacks the commands"
for program in varokconfig varokconfig-cli verda-sim; do
    file "$work/root/usr/bin/$program" | grep -q ', stripped' || fail "$program is not stripped"
done
# The completion offers the commands and the project files.
completion=$(cd examples && bash -c '. "$1"; COMP_WORDS=(varokconfig-cli re); COMP_CWORD=1; _varokconfig_cli
    echo "${COMPREPLY[*]}"; COMP_WORDS=(varokconfig-cli show Off); COMP_CWORD=2; _varokconfig_cli
    echo "${COMPREPLY[*]}"' - "$work/root/usr/share/bash-completion/completions/varokconfig-cli")
[ "$completion" = $'report read\nOffice-Building.usr' ] || fail "completion offers: $completion"

usr=$work/root/usr
if [ "$(id -u)" -eq 0 ] && ! dpkg-query -W varokconfig >/dev/null 2>&1; then
    dpkg -i "$deb" >/dev/null
    installed=yes
    usr=/usr
fi
version=$(dpkg-deb -f "$deb" Version)
"$usr/bin/varokconfig-cli" --version | grep -q "^varokconfig-cli $version" || fail "the installed --version"
# The installed example is the repository's, lengths included: the same report.
"$usr/bin/varokconfig-cli" report "$usr/share/varokconfig/examples/Office-Building.usr" -o "$work/report.txt"
"$usr/bin/varokconfig-cli" report examples/Office-Building.usr -o "$work/expected.txt"
[ -s "$work/report.txt" ] && cmp -s "$work/report.txt" "$work/expected.txt" ||
    fail "the report of the installed example differs from the repository's"
how="unpacked with dpkg -x"
[ -z "$installed" ] || how="installed with dpkg -i, then removed"
echo "package: $(basename "$deb") ($(du -k "$deb" | cut -f1) KiB), $how: programs, manual pages, desktop entry," \
    "MIME type, completion and the example's report checked"
