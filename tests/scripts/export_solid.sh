#!/usr/bin/env bash
# "Export Solid" on the sample after the sample session: admesh (Debian's STL checker) reads
# the panel as one closed part that needs no repair; the four files are replaced together or
# not at all (a file size limit stands for a full disk); windows too small or too large for
# the offscreen image are refused with a line.
#
# Usage: export_solid.sh PATH/TO/hollowvista
set -euo pipefail
program=$(realpath "$1")
root=$(pwd)
unset DISPLAY

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
command -v admesh >/dev/null || fail "admesh is missing: run scripts/install-deps"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir Mesh data
cp "$root/Mesh/sample.obj" "$root/Mesh/sample.mtl" "$root/Mesh/sample.bmp" Mesh/
grep -v '^screenshot ' "$root/examples/sample.hvs" >sample.hvs
files="data/export_solid.stl data/export_solid.obj data/export_solid.mtl data/export_solid.png"

{ cat sample.hvs; echo 'export-solid 1'; } >solid.hvs
"$program" --batch solid.hvs >out 2>err || fail "sample session: $(cat err)"
summary=$(grep '^exportSolid: ' out) || fail "no summary line: $(tail -3 out)"
report=$(admesh data/export_solid.stl)
echo "$summary"
echo "$report"

# Every count of a fault or a repair is 0, and there is one part.
value() { awk -F: -v key="$1" '$1 ~ "^" key { split($2, v, " "); print v[1]; exit }' <<<"$report"; }
[ "$(value 'Number of parts')" = 1 ] || fail "admesh: not one part"
for key in 'Total disconnected facets' 'Degenerate facets' 'Edges fixed' 'Facets removed' \
    'Facets added' 'Facets reversed' 'Backwards edges' 'Normals fixed'; do
    [ "$(value "$key")" = 0 ] || fail "admesh: $key is $(value "$key")"
done
triangles=$(sed -E 's/.* ([0-9]+) triangles.*/\1/' <<<"$summary")
[ "$(value 'Number of facets')" = "$triangles" ] || fail "admesh reads $(value 'Number of facets') facets"
volume=$(sed -E 's/.*volume ([0-9.]+)$/\1/' <<<"$summary")
admesh_volume=$(grep -oE 'Volume +: +[0-9.]+' <<<"$report" | grep -oE '[0-9.]+$')
awk -v a="$volume" -v b="$admesh_volume" 'BEGIN { d = a - b; exit !(d * d < 1e-6 * a * a) }' ||
    fail "volume $volume, admesh $admesh_volume"

# The model file of a SCALE 2 panel does not fit under the limit (its STL does): the four
# files of the SCALE 1 panel stay as they were, and no temporary file is left.
mkdir kept
cp $files kept/
status=0
(
    ulimit -f 50000 # kilobytes: the STL (about 46 MB) fits, the OBJ (about 64 MB) does not
    trap '' XFSZ
    exec "$program" --batch <(cat sample.hvs; echo 'export-solid 2') >out 2>err
) || status=$?
[ "$status" -eq 0 ] || fail "size limit: status $status"
[ "$(grep '^exportSolid' err)" = 'exportSolid: cannot write data/export_solid.obj: File too large' ] ||
    fail "size limit: $(cat err)"
for f in $files; do
    cmp -s "$f" "kept/$(basename "$f")" || fail "size limit: $f changed"
done
[ -z "$(find data -name '*.tmp')" ] || fail "temporary files left: $(find data -name '*.tmp')"

# Too small and too large for the offscreen image.
printf 'window 1 1\nexport-solid 1\nwindow 4000 3000\nexport-solid 4\n' >sizes.hvs
"$program" --batch sizes.hvs >out 2>err || fail "sizes: status $?"
[ "$(grep '^exportSolid' err)" = 'exportSolid: the window is too small
exportSolid: a 16000 x 12000 image is more than this OpenGL draws' ] || fail "sizes: $(cat err)"
echo "ok"
