# Sourced by the save benchmarks, with `bin` set: a fresh folder, made the working folder and
# removed at exit, holding two configurations of the example that differ in the image and in the
# side file, as JSON (A.json, B.json) and as projects (A.usr and A.ini, B.usr and B.ini).
example=$(realpath "$(dirname "${BASH_SOURCE[0]}")/../examples/Office-Building.usr")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
"$bin/varokconfig-cli" show --json "$example" > A.json
sed -e 's/"gong": true/"gong": false/' -e 's/"12"/"13"/' A.json > B.json
"$bin/varokconfig-cli" build A.json -o A.usr && "$bin/varokconfig-cli" build B.json -o B.usr
if cmp -s A.usr B.usr; then
    echo "the two configurations share an image" >&2
    exit 1
fi
