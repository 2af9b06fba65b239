#!/usr/bin/env bash
# Prints the example's HTML report with headless Chromium and checks what a reader gets: the
# HTML and every timeline SVG well-formed, and in the PDF's text every input's total and the
# zones of its first stage, each on that input's page. The first page and the first input's
# page are kept as PNG in build/artifacts/report-browser/.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
varok_need_packages "${VAROK_BUILD_PACKAGES[@]}" "${VAROK_REPORT_PACKAGES[@]}"

cmake -S . -B build >/dev/null
cmake --build build -j"${VAROK_JOBS:-$(nproc)}" --target varokconfig-cli >/dev/null
cli=build/bin/varokconfig-cli
project=examples/Office-Building.usr
out=build/artifacts/report-browser
rm -rf "$out"
mkdir -p "$out"
fail() {
    echo "FAILED: $*" >&2
    exit 1
}

"$cli" report "$project" -o "$out/report.txt"
"$cli" report "$project" --html -o "$out/report.html"
iconv -f CP1251 -t UTF-8 "$out/report.txt" | tr -d '\r' >"$out/report-utf8.txt"

xmllint --noout "$out/report.html" || fail "the HTML report is not well-formed"
svgs=$(xmllint --xpath 'count(//*[local-name()="svg"])' "$out/report.html")
for ((i = 1; i <= svgs; i++)); do
    xmllint --xpath "(//*[local-name()='svg'])[$i]" "$out/report.html" >"$out/timeline-$i.svg"
    xmllint --noout "$out/timeline-$i.svg" || fail "timeline $i is not a well-formed SVG"
done

profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
timeout 180 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync --user-data-dir="$profile" \
    --no-pdf-header-footer --print-to-pdf="$out/report.pdf" "file://$PWD/$out/report.html" >"$out/chromium.log" 2>&1 ||
    fail "chromium did not print the report (see $out/chromium.log)"
[ -s "$out/report.pdf" ] || fail "chromium wrote no PDF (see $out/chromium.log)"
pages=$(pdfinfo "$out/report.pdf" | sed -n 's/^Pages: *//p')

# Each input in use, as the text report lists it: number, total and the zones of stage 1.
inputs=$(awk -F'|' '
    / Вход активации N/ { if (n != "") print n "\t" total "\t" zones; sub(/ *\|.*/, ""); sub(/.*N/, ""); n = $0; total = ""; zones = "" }
    /^Общее время эвакуации/ { total = $2; sub(/^ /, "", total) }
    /^ +Зона [0-9] \|/ { if ($2 ~ /\+/) { z = $1; sub(/.*Зона /, "", z); sub(/ .*/, "", z); zones = zones (zones == "" ? "" : ", ") z } }
    END { if (n != "") print n "\t" total "\t" zones }' "$out/report-utf8.txt")
[ -n "$inputs" ] || fail "the example has no input in use"
[ "$svgs" -eq "$(printf '%s\n' "$inputs" | wc -l)" ] || fail "$svgs timelines for $(printf '%s\n' "$inputs" | wc -l) inputs"

first_input_page=
while IFS=$'\t' read -r n total zones; do
    page=
    for ((p = 2; p <= pages; p++)); do
        if pdftotext -layout -f "$p" -l "$p" "$out/report.pdf" - | grep -q "^ *Вход активации N$n *$"; then
            page=$p
            break
        fi
    done
    [ -n "$page" ] || fail "no page is headed by input $n"
    : "${first_input_page:=$page}"
    # The input's page and the page after it, should its timeline run over.
    text=$(pdftotext -f "$page" -l "$((page + 1 > pages ? pages : page + 1))" "$out/report.pdf" -)
    grep -qF "Общее время эвакуации (сек): $total" <<<"$text" || fail "input $n: total $total is not in its timeline"
    if [ -n "$zones" ]; then
        grep -qE "Зоны: ${zones}( ·|$)" <<<"$text" || fail "input $n: stage 1 zones $zones are not on its page"
    fi
    pdftotext -f 1 -l 1 "$out/report.pdf" - | grep -qF "Вход активации N$n: $total" ||
        fail "input $n: total $total is not on the first page"
    echo "input $n: page $page, total $total, stage 1 zones: ${zones:-none}"
done <<<"$inputs"

pdftoppm -r 80 -png -f 1 -l 1 "$out/report.pdf" "$out/first-page"
pdftoppm -r 80 -png -f "$first_input_page" -l "$first_input_page" "$out/report.pdf" "$out/input-page"
echo "report printed: $pages pages, $(stat -c %s "$out/report.html") bytes of HTML, $svgs timelines; pages in $out/"
