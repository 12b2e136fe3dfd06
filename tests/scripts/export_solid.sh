#!/usr/bin/env bash
# "Export Solid" after the sample session: admesh (Debian's STL checker) reads the panel as one
# closed part that needs no repair, and finds the facets, size and volume that the console
# line gives; with tolerance 0 the panel is the full grid it always was. Windows too small or too large for the offscreen image are refused.
#
# Usage: export_solid.sh PATH/TO/hollowvista
source "$(dirname "$0")/lib/common.sh"
command -v admesh >/dev/null || fail "admesh is missing: run scripts/install-deps"
cd "$work"
mkdir Mesh
cp "$root/Mesh/sample."* Mesh/
run "$(grep -v '^screenshot ' "$root/examples/sample.hvs")"$'\nexport-solid 1\n'
[ "$status" -eq 0 ] || fail "sample session: $(cat err)"
summary=$(grep '^exportSolid: ' out) || fail "no summary line: $(tail -3 out)"
report=$(admesh data/export_solid.stl)
printf '%s\n%s\n' "$summary" "$report"

# One part; every count of a fault or a repair 0.
value() { awk -F: -v key="$1" '$1 ~ "^" key { split($2, v, " "); print v[1]; exit }' <<<"$report"; }
[ "$(value 'Number of parts')" = 1 ] || fail "admesh: not one part"
for key in 'Total disconnected facets' 'Degenerate facets' 'Edges fixed' 'Facets removed' \
    'Facets added' 'Facets reversed' 'Backwards edges' 'Normals fixed'; do
    [ "$(value "$key")" = 0 ] || fail "admesh: $key is $(value "$key")"
done
# "exportSolid: V vertices, T triangles, size X x Y x Z, volume U" against admesh's figures.
read -r triangles x y z volume < <(sed -E 's/.* ([0-9]+) triangles, size (.*) x (.*) x (.*), volume (.*)/\1 \2 \3 \4 \5/' <<<"$summary")
[ "$(value 'Number of facets')" = "$triangles" ] || fail "admesh reads $(value 'Number of facets') facets"
extent() { grep -oE "(Min|Max) $1 = +-?[0-9.]+" <<<"$report" | awk '{ v[NR] = $NF } END { print v[2] - v[1] }'; }
admesh_volume=$(grep -oE 'Volume +: +[0-9.]+' <<<"$report" | grep -oE '[0-9.]+$')
for pair in "$x $(extent X)" "$y $(extent Y)" "$z $(extent Z)" "$volume $admesh_volume"; do
    awk -v a="${pair% *}" -v b="${pair#* }" 'BEGIN { exit !((a - b) ^ 2 < 1e-6 * a * a) }' ||
        fail "console $summary, admesh ${pair#* }"
done

# With tolerance 0 the panel is one vertex per sample, byte for byte the full grid.
run "$(grep -v '^screenshot ' "$root/examples/sample.hvs")"$'\nexport-solid 1 0\n'
[ "$(grep '^exportSolid: ' out)" = 'exportSolid: 129451 vertices, 258898 triangles, size 26.2047 x 17.4363 x 17.5726, volume 802.458' ] ||
    fail "tolerance 0: $(grep '^exportSolid: ' out)"
[ "$(md5sum <data/export_solid.stl)" = 'b355963fbae5a179703ae8df168d1d96  -' ] || fail "tolerance 0: another STL"

run $'window 1 1\nexport-solid 1\n'
[ "$status: $(cat err)" = '2: exportSolid: the window is too small
script:2: export-solid could not write its files' ] || fail "sizes: $(cat err)"
run $'window 4000 3000\nexport-solid 4\n'
[ "$status: $(cat err)" = '2: exportSolid: a 16000 x 12000 image is more than this OpenGL draws
script:2: export-solid could not write its files' ] || fail "sizes: $(cat err)"
echo "ok"
