#!/usr/bin/env bash
# Hostile input through whole batch sessions: coordinates beyond the float range, a "data"
# that is a file or runs out of room, windows of 1 x 1 and 4000 x 3000 pixels for every pass
# that reads the window back. Each case checks the console lines and that no file the user had
# is lost. (Models and textures that cannot be read are checked by the mesh tests; faces of no,
# one and two corners by the render-equality blob and the fuzz chain.)
#
# Usage: hostile_sessions.sh PATH/TO/hollowvista
source "$(dirname "$0")/lib/common.sh"
cd "$work"
mkdir Mesh data reference
cp "$root/Mesh/sample."* Mesh/

# Fails unless the status is $1 and the console is $2; $3 names the case.
expect() {
    [ "$status: $(cat err)" = "$1: $2" ] || fail "$3: status and console were
$status: $(cat err)
expected
$1: $2"
}

# Fails unless data/ holds the four files of the reference export as they were and nothing
# else (no temporary file, no part of a file that could not be written).
export_kept() { diff -r data reference >/dev/null || fail "$1: $(diff -rq data reference)"; }

# Width and height of a BMP file (little-endian 32-bit words at 18 and 22), of a PNG file
# (big-endian words at 16 and 20); nothing for a missing file.
bmp_size() { od -An -tu4 -j18 -N8 "$1" 2>/dev/null | awk '{print $1 "x" $2}' || true; }
png_size() { od -An -tu1 -j16 -N8 "$1" 2>/dev/null | awk '{print $1*2^24+$2*2^16+$3*256+$4 "x" $5*2^24+$6*2^16+$7*256+$8}' || true; }

open_sample=$'open-mesh Mesh/sample.obj\n' # the texture its material names comes with it
loaded_sample='SimpleMesh::load: Mesh/sample.obj loaded
SimpleMesh::loadTexture: Mesh/sample.bmp (512x512)'

# --- The export every hostile session below must leave as it is ------------------------------
run "${open_sample}export"$'\ntriangulate\n'
expect 0 "$loaded_sample"$'\nDone!\nDone!' "reference"
cp data/export.obj data/export.bmp data/export.glb data/remesh.obj reference/

# --- Coordinates beyond the float range: nothing infinite or NaN reaches a file ---------------
printf '%s\n' 'v 0 0 0' 'v 10 0 0' 'v 10 10 0' 'v 0 10 0' 'v 3e38 3e38 -3e38' 'v 1e39 nan inf' \
    'v -1e39 5 5' 'v 5 5 1e-45' 'vt 0 0' 'vt 1 0' 'vt 1 1' 'vn 0 0 1' 'f 1/1/1 2/2/1 3/3/1' \
    'f 1/1/1 3/3/1 4/1/1' 'f 3/3/1 4/1/1 5/2/1' 'f 4/1/1 5/2/1 6/3/1' 'f 1/1/1 6/2/1 7/3/1' \
    'f 2/1/1 7/2/1 8/3/1' >huge.obj
run $'open-mesh huge.obj\nset-up-camera\nmode lasso\npart 1\ndrag left 0 0 639 0 639 479 0 479 0 0\n'\
$'part 2\ndrag left 300 200 340 200 340 260 300 260 300 200\npreview\npush\npush\n'\
$'compression -0.3\nback\npart 1\ncompression 0.7\nview output\nkey d\nexport\ntriangulate\n'\
$'open-mesh data/export.obj\nopen-mesh data/remesh.obj\n'
beyond='The model reaches beyond the clipping planes from this view; press f ("Frame Model") to fit it into the window'
expect 0 "SimpleMesh::load: huge.obj loaded
$beyond
Done!
Done!
SimpleMesh::load: data/export.obj loaded
$beyond
SimpleMesh::load: data/remesh.obj loaded
$beyond" "huge coordinates"
! grep -qi 'nan\|inf' data/export.obj data/remesh.obj || fail "huge coordinates: non-finite numbers written"
cp reference/* data/

# --- "data" that is a file: each writer says so and stops the script ---------------------------
mv data data.folder
echo "a file where the folder should be" >data
while IFS='|' read -r command line; do
    run "${open_sample}${command}"$'\nkey c\n'
    expect 2 "$loaded_sample
$line
script:2: ${command%% *} could not write its files" "data as a file, $command"
    [ ! -s out ] || fail "data as a file, $command: the script went on"
done <<'WRITERS'
export|exportModel: cannot write data/export.obj: Not a directory
triangulate|triangulateFaces: cannot write data/remesh.obj: Not a directory
export-solid 1|exportSolid: cannot write data/export_solid.stl: Not a directory
WRITERS
run "${open_sample}"$'screenshot data/view.png\nkey c\n'
expect 2 "$loaded_sample
script:2: cannot save the window as \"data/view.png\": no folder \"data\"" "data as a file, screenshot"
[ "$(cat data)" = "a file where the folder should be" ] || fail "data as a file: the file changed"
rm data
mv data.folder data
# A screenshot says why it could not be saved: a missing folder, a name of no image format.
while IFS='|' read -r path why; do
    run "${open_sample}screenshot $path"$'\n'
    expect 2 "$loaded_sample
script:2: cannot save the window as \"$path\": $why" "screenshot $path"
    [ ! -e "$path" ] || fail "screenshot $path: a file was written"
done <<'SHOTS'
shots/view.png|no folder "shots"
data/view.nosuchformat|no image format is known by that name
SHOTS

# --- A disk that fills up while exporting (a file size limit stands for it) ------------------
limit=16 run "${open_sample}"$'export\n' # kB: the model file (47 kB) does not fit
expect 2 "$loaded_sample
exportModel: cannot write data/export.obj: File too large
script:2: export could not write its files" "file size limit"
export_kept "file size limit"

# The model file fits but its image does not: neither replaces the previous export.
printf 'v 0 0 0\nv 20 0 0\nv 0 20 0\nf 1 2 3\n' >small.obj
limit=16 run $'open-mesh small.obj\nexport\n'
expect 2 $'SimpleMesh::computeNormals: called\nSimpleMesh::load: small.obj loaded
exportModel: cannot write data/export.bmp: File too large\nscript:2: export could not write its files' "image over the limit"
export_kept "image over the limit"

# --- Windows of 1 x 1 and 4000 x 3000 pixels through every pass that reads the window back -----
for size in "1 1" "4000 3000"; do
    read -r w h <<<"$size"
    right=$((w * 3 / 4)) top=$((h * 3 / 4)) cx=$((w / 2)) cy=$((h / 2))
    run "$(printf %b "window $w $h\n${open_sample}set-up-camera\nmode lasso\npart 1\n\
drag left 0 0 $right 0 $right $top 0 $top 0 0\nmode camera\npress left 0 0 shift\n\
release left 0 0\npress left $cx $cy shift\nrelease left $cx $cy\npreview\nview output\n\
export\ntriangulate\nscreenshot data/view.png\n")"
    got="$status, export.bmp $(bmp_size data/export.bmp), view.png $(png_size data/view.png)"
    [ "$got" = "0, export.bmp ${w}x$h, view.png ${w}x$h" ] || fail "window $w x $h: $got: $(cat err)"
    picks=$(grep '^Mesh ID : ' err || true)
    painted=$(grep -c '^painted verts\[' out || true)
    grep -qx 'Done!' err || fail "window $w x $h: no export"
    if [ "$w" -eq 1 ]; then
        # Both clicks pick the face the only pixel shows; the loop around it encloses no vertex.
        [ "$(sed -n 1p <<<"$picks")" = "$(sed -n 2p <<<"$picks")" ] &&
            [ "$(sed -n 1p <<<"$picks")" != "Mesh ID : -1" ] || fail "1 x 1: picks $picks"
        [ "$painted" -eq 0 ] || fail "1 x 1: $painted vertices painted"
    else
        # The lasso paints the vertices in its loop; the centre pixel shows a face.
        [ "$painted" -gt 100 ] || fail "4000 x 3000: $painted painted"
        [ "$(printf '%s\n' "$picks" | sed -n 2p)" != "Mesh ID : -1" ] || fail "4000 x 3000: picks $picks"
    fi
done
# --- Scripts that are no regular file, or too large: refused before anything runs ------------
mkfifo fifo.hvs
mkdir folder.hvs
ln -s /dev/zero zero.hvs
truncate -s 65M large.hvs
for script in fifo.hvs zero.hvs folder.hvs large.hvs; do
    status=0
    timeout 20 "$program" --batch "$script" >out 2>err || status=$?
    reason="is not a regular file"
    [ "$script" = large.hvs ] && reason="is larger than 64 MiB"
    expect 2 "hollowvista: the script \"$script\" $reason" "script $script"
done
echo "ok"
