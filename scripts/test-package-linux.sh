#!/usr/bin/env bash
# Builds the Debian package and checks it as a user gets it: lintian (an error fails), its contents
# and dependencies, the desktop entry, the MIME type and the completion, then the installed programs.
# As root (where the package is not installed already) it installs with dpkg -i and removes it again;
# elsewhere it unpacks with dpkg -x.
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

# lintian as a distribution runs it: any error fails; warnings and notes are shown.
lintian --fail-on none "$deb" >"$work/lintian" 2>&1 || fail "lintian did not run: $(cat "$work/lintian")"
errors=$(grep '^E: ' "$work/lintian" || true)
[ -z "$errors" ] || fail "lintian reports errors:"$'\n'"$errors"
warnings=$(grep -c '^W: ' "$work/lintian" || true)
[ "$warnings" -eq 0 ] || grep '^W: ' "$work/lintian" >&2

dpkg-deb -c "$deb" | awk '{print $NF}' >"$work/contents"
for f in bin/varokconfig bin/varokconfig-cli bin/verda-sim share/applications/varokconfig.desktop \
    share/mime/packages/varokconfig.xml share/icons/hicolor/scalable/apps/varokconfig.svg \
    share/man/man1/varokconfig.1.gz share/man/man1/varokconfig-cli.1.gz share/man/man1/verda-sim.1.gz \
    share/bash-completion/completions/varokconfig-cli share/doc/varokconfig/README.md \
    share/doc/varokconfig/copyright share/doc/varokconfig/changelog.Debian.gz \
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
gzip -dc "$work/root/usr/share/man/man1/varokconfig-cli.1.gz" >"$work/varokconfig-cli.1"
grep -q 'Подключено на COM 3' "$work/varokconfig-cli.1" && grep -q 'backup FILE' "$work/varokconfig-cli.1" ||
    fail "the manual page lacks the commands"
for program in varokconfig varokconfig-cli verda-sim; do
    file "$work/root/usr/bin/$program" | grep -q ', stripped' || fail "$program is not stripped"
done
# The completion offers the commands, each command's options, and the files it takes: a name with
# spaces as one name, a project's extension in any case. Each row: the words after varokconfig-cli
# (the last one being completed) | what is offered, sorted.
mkdir -p "$work/projects/sub dir"
touch "$work/projects/Объект 15.usr" "$work/projects/A.USR" "$work/projects/notes.txt" "$work/projects/cfg.json"
words=()
while IFS='|' read -r line expected; do
    eval "words=($line)"
    offered=$(cd "$work/projects" && bash -c '. "$1"; shift; COMP_WORDS=(varokconfig-cli "$@"); COMP_CWORD=$#
        _varokconfig_cli; printf "%s\n" "${COMPREPLY[@]}" | LC_ALL=C sort | paste -sd,' - \
        "$work/root/usr/share/bash-completion/completions/varokconfig-cli" "${words[@]}")
    [ "$offered" = "$expected" ] || fail "completion of '$line' offers '$offered', not '$expected'"
done <<'EOF'
re|read,report
show ''|A.USR,sub dir,Объект 15.usr
report -o Объ|Объект 15.usr
build ''|-,cfg.json,sub dir
write --port 3 --timeout 2 --n|--no-readback
check --|--,--help,--json
show -- -|
EOF

usr=$work/root/usr
if [ "$(id -u)" -eq 0 ] && ! dpkg-query -W varokconfig >/dev/null 2>&1; then
    dpkg -i "$deb" >/dev/null
    installed=yes
    usr=/usr
fi
version=$(dpkg-deb -f "$deb" Version)
# The package's version is the release and the package's own revision (1.0-1).
"$usr/bin/varokconfig-cli" --version | grep -qE "^varokconfig-cli ${version%-*}( |$)" || fail "the installed --version"
# The installed example is the repository's, lengths included: the same report.
"$usr/bin/varokconfig-cli" report "$usr/share/varokconfig/examples/Office-Building.usr" -o "$work/report.txt"
"$usr/bin/varokconfig-cli" report examples/Office-Building.usr -o "$work/expected.txt"
[ -s "$work/report.txt" ] && cmp -s "$work/report.txt" "$work/expected.txt" ||
    fail "the report of the installed example differs from the repository's"
how="unpacked with dpkg -x"
[ -z "$installed" ] || how="installed with dpkg -i, then removed"
echo "package: $(basename "$deb") ($(du -k "$deb" | cut -f1) KiB), $how: lintian (0 errors, $warnings warnings)," \
    "programs, manual pages, desktop entry, MIME type, completion and the example's report checked"
