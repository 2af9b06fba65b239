#!/usr/bin/env bash
# Prints the HTML report as a reader gets it and checks the pages with headless Chromium:
# - the example's report: the HTML and every timeline SVG well-formed; in the PDF's text every
#   page names the project, the time the report was made and "стр. N из M", and every input's
#   total and the zones of its first stage stand on that input's page;
# - the example, a generated set of projects (scripts/report-projects.awk) and the worst case:
#   the box of every text as Chromium lays it out (scripts/report-measure.js), with no two texts
#   overlapping, none clipped by its page or its timeline's drawing, none below 8 pt.
# Pages of the example are kept as PNG in build/artifacts/report-browser/.
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
mkdir -p "$out/projects"
fail() {
    echo "FAILED: $*" >&2
    exit 1
}
# The same report on every run: it says it was made at this time.
export SOURCE_DATE_EPOCH=1767225600
made="01.01.2026 00:00"

profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
chromium_run() {
    timeout 180 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
        --disable-background-networking --disable-component-update --disable-sync --user-data-dir="$profile" "$@"
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

chromium_run --no-pdf-header-footer --print-to-pdf="$out/report.pdf" "file://$PWD/$out/report.html" \
    >"$out/chromium.log" 2>&1 || fail "chromium did not print the report (see $out/chromium.log)"
[ -s "$out/report.pdf" ] || fail "chromium wrote no PDF (see $out/chromium.log)"
pages=$(pdfinfo "$out/report.pdf" | sed -n 's/^Pages: *//p')

# Every page says whose it is, when it was made and which of how many it is.
for ((p = 1; p <= pages; p++)); do
    text=$(pdftotext -layout -f "$p" -l "$p" "$out/report.pdf" -)
    grep -qF "$(basename "$project")" <<<"$text" || fail "page $p does not name the project"
    grep -qF "Отчет составлен $made" <<<"$text" || fail "page $p does not say when the report was made"
    grep -qE "стр\. $p из $pages\b" <<<"$text" || fail "page $p is not numbered \"стр. $p из $pages\""
done

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
    # All eight zones are named as such.
    shown="Зоны: $zones"
    [ "$zones" = "1, 2, 3, 4, 5, 6, 7, 8" ] && shown="все зоны"
    if [ -n "$zones" ]; then
        grep -qE "${shown}( ·|$)" <<<"$text" || fail "input $n: stage 1 zones $zones are not on its page"
    fi
    pdftotext -f 1 -l 1 "$out/report.pdf" - | grep -qF "Вход активации N$n: $total" ||
        fail "input $n: total $total is not on the first page"
    echo "input $n: page $page, total $total, stage 1 zones: ${zones:-none}"
done <<<"$inputs"

pdftoppm -r 80 -png -f 1 -l 1 "$out/report.pdf" "$out/first-page"
pdftoppm -r 80 -png -f "$first_input_page" -l "$first_input_page" "$out/report.pdf" "$out/input-page"
echo "report printed: $pages pages, $(stat -c %s "$out/report.html") bytes of HTML, $svgs timelines; pages in $out/"

# The generated projects, made from JSON as `build` makes them, then the example beside them.
awk -v out="$out/projects" -f scripts/report-projects.awk
for json in "$out"/projects/*.json; do
    "$cli" build "$json" -o "${json%.json}.usr" 2>>"$out/build.log" || fail "could not build $json (see $out/build.log)"
    "$cli" report "${json%.json}.usr" --html -o "${json%.json}.html" 2>>"$out/build.log"
done
cp "$out/report.html" "$out/projects/example.html"
reports=("$out"/projects/*.html)

# Pages of 60 reports, each as wide as the printed area of A4 (210 mm less 2 x 12 mm).
measure_page() {
    local page=$1
    shift
    {
        echo '<!DOCTYPE html><html lang="ru"><head><meta charset="utf-8"/><style>'
        sed -n '/^<style>$/,/^<\/style>$/p' "$1" | sed '1d;$d'
        echo 'body { margin: 0; } div.report { width: 186mm; }</style></head><body>'
        for report; do
            printf '<div class="report" data-name="%s">\n' "$(basename "$report" .html)"
            sed -n '/^<body>$/,/^<\/body>$/p' "$report" | sed '1d;$d'
            echo '</div>'
        done
        echo '<script>'
        cat scripts/report-measure.js
        echo '</script></body></html>'
    } >"$page"
}
total_reports=0 total_boxes=0 total_overlaps=0 total_clipped=0 total_small=0 smallest=
for ((i = 0; i < ${#reports[@]}; i += 60)); do
    page="$out/measure-$((i / 60 + 1)).html"
    measure_page "$page" "${reports[@]:i:60}"
    chromium_run --dump-dom "file://$PWD/$page" 2>>"$out/chromium.log" |
        awk '/<pre id="measured">/ { sub(/.*<pre id="measured">/, ""); on = 1 }
             on { done = sub(/<\/pre>.*/, ""); print; if (done) exit }' |
        sed 's/&quot;/"/g; s/&lt;/</g; s/&gt;/>/g; s/&amp;/\&/g' >"${page%.html}.txt"
    summary=$(grep '^reports=' "${page%.html}.txt") || fail "chromium measured nothing in $page (see $out/chromium.log)"
    grep -v '^reports=' "${page%.html}.txt" | head -20 || true
    read -r here_reports here_boxes here_overlaps here_clipped here_small here_smallest \
        <<<"$(sed 's/[a-z]*=//g; s/pt$//' <<<"$summary")"
    total_reports=$((total_reports + here_reports))
    total_boxes=$((total_boxes + here_boxes))
    total_overlaps=$((total_overlaps + here_overlaps))
    total_clipped=$((total_clipped + here_clipped))
    total_small=$((total_small + here_small))
    smallest=$(awk -v a="${smallest:-$here_smallest}" -v b="$here_smallest" 'BEGIN { print (a < b ? a : b) }')
done
echo "print check: $total_reports reports, $total_boxes text boxes, $total_overlaps overlapping," \
    "$total_clipped clipped, $total_small below 8 pt (smallest $smallest pt)"
[ "$total_reports" -eq "${#reports[@]}" ] || fail "$total_reports of ${#reports[@]} reports measured"
[ "$total_overlaps" -eq 0 ] && [ "$total_clipped" -eq 0 ] && [ "$total_small" -eq 0 ] ||
    fail "texts overlap, are clipped or are too small (see $out/measure-*.txt)"
