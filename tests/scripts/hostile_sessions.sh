#!/usr/bin/env bash
# Hostile input through whole batch sessions: models that are FIFOs, folders, devices, binary
# data or hold bad indices; coordinates beyond the float range; textures that are no image or
# too large; a "data" that is a file, is full or is read-only; windows of 1 x 1 and
# 4000 x 3000 pixels for every pass that reads the window back. Each case checks the console
# lines and that no file the user had is lost.
#
# Usage: hostile_sessions.sh PATH/TO/hollowvista
set -euo pipefail
program=$(realpath "$1")
root=$(pwd)
unset DISPLAY

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir Mesh data
cp "$root/Mesh/sample.obj" "$root/Mesh/sample.mtl" "$root/Mesh/sample.bmp" Mesh/

# Runs the script text $1; leaves status, out and err (without the start-up line) behind.
run() {
    printf '%s' "$1" >script.hvs
    status=0
    "$program" --batch script.hvs >out 2>err.all || status=$?
    grep -v '^GLUI version: ' err.all >err || true
}

expect_err() {
    [ "$(cat err)" = "$1" ] || fail "$2: console was
$(cat err)
expected
$1"
}

same_file() {
    cmp -s "$1" "$2" || fail "$3: $1 changed"
}

no_leftovers() {
    [ -z "$(find data -name '*.tmp')" ] || fail "$1: temporary files left: $(find data -name '*.tmp')"
}

# Width and height of a BMP file (little-endian 32-bit words at 18 and 22).
bmp_size() {
    od -An -tu4 -j18 -N8 "$1" | awk '{print $1 "x" $2}'
}
# Width and height of a PNG file (big-endian words at 16 and 20).
png_size() {
    echo "$((16#$(od -An -tx1 -j16 -N4 "$1" | tr -d ' \n')))x$((16#$(od -An -tx1 -j20 -N4 "$1" | tr -d ' \n')))"
}

open_sample=$'open-mesh Mesh/sample.obj\n' # the texture its material names comes with it
loaded_sample='SimpleMesh::load: Mesh/sample.obj loaded
SimpleMesh::loadTexture: Mesh/sample.bmp (512x512)'

# --- The export every hostile session below must leave as it is -----------------------------
run "${open_sample}export"$'\ntriangulate\n'
[ "$status" -eq 0 ] || fail "reference: status $status"
mkdir reference
cp data/export.obj data/export.bmp data/remesh.obj reference/

# --- Models that are no model: the one loaded stays ------------------------------------------
mkfifo fifo.obj
mkdir folder.obj
ln -s /dev/zero zero.obj
for i in $(seq 0 255); do printf "\\$(printf %03o "$i")"; done >binary.obj
printf 'v 0 0 0\nv 1 0 0\nv 0 1 0\nf 0 1 2\n' >zero-index.obj
printf 'v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nf 1 2 4294967297\n' >overflow.obj
printf 'v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 -3\n' >negative.obj
run "${open_sample}"$'open-mesh fifo.obj\nopen-mesh folder.obj\nopen-mesh zero.obj\nopen-mesh binary.obj
open-mesh zero-index.obj\nopen-mesh overflow.obj\nopen-mesh negative.obj\nexport\ntriangulate\n'
[ "$status" -eq 0 ] || fail "bad models: status $status"
not_regular() {
    printf 'findFile: not a regular file: ./%s\nObjLoader::loader: error: invalid extention
SimpleMesh::load: cannot load file: %s' "$1" "$1"
}
expect_err "$loaded_sample
$(not_regular fifo.obj)
$(not_regular folder.obj)
$(not_regular zero.obj)
SimpleMesh::load: no vertices loaded: binary.obj
SimpleMesh::load: index out of range: zero-index.obj
SimpleMesh::load: index out of range: overflow.obj
ObjLoader::readFace: invalid vertex index
SimpleMesh::load: no triangles loaded: negative.obj
Done!
Done!" "bad models"
[ "$(head -3 out)" = $'file not found: fifo.obj\nfile not found: folder.obj\nfile not found: zero.obj' ] ||
    fail "bad models: $(head -3 out)"
same_file data/export.obj reference/export.obj "bad models"
same_file data/export.bmp reference/export.bmp "bad models"
same_file data/remesh.obj reference/remesh.obj "bad models"

# --- Textures that are no texture: the one loaded stays --------------------------------------
echo "no picture" >text.png
mkfifo fifo.png
# A run-length encoded TGA of 32768 x 1 pixels: wider than any texture the context takes.
{
    printf '\x00\x00\x0a\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x80\x01\x00\x18\x00'
    for i in $(seq 256); do printf '\xff\x40\x80\xc0'; done
} >wide.tga
run "${open_sample}"$'open-texture text.png\nopen-texture wide.tga\nopen-texture fifo.png\nexport\n'
[ "$status" -eq 0 ] || fail "bad textures: status $status"
expect_err "$loaded_sample
SimpleMesh::loadTexture: cannot load texture: text.png
SimpleMesh::loadTexture: texture too large: wide.tga (32768x1, at most 16384x16384)
findFile: not a regular file: ./fifo.png
SimpleMesh::loadTexture: cannot load texture: fifo.png
Done!" "bad textures"
same_file data/export.bmp reference/export.bmp "bad textures"

# A picture of one pixel is a texture like any other.
run $'window 1 1\nscreenshot pixel.png\n'
[ "$status" -eq 0 ] && [ "$(png_size pixel.png)" = 1x1 ] || fail "one-pixel picture: $(cat err)"
run $'open-mesh Mesh/sample.obj\nopen-texture pixel.png\nexport\n'
expect_err "$loaded_sample"$'\nSimpleMesh::loadTexture: pixel.png (1x1)\nDone!' \
    "one-pixel texture"
cp reference/* data/

# --- Coordinates beyond the float range: nothing infinite or NaN reaches a file ---------------
cat >huge.obj <<'EOF'
v 0 0 0
v 10 0 0
v 10 10 0
v 0 10 0
v 3e38 3e38 -3e38
v 1e39 nan inf
v -1e39 5 5
v 5 5 1e-45
vt 0 0
vt 1 0
vt 1 1
vn 0 0 1
f 1/1/1 2/2/1 3/3/1
f 1/1/1 3/3/1 4/1/1
f 3/3/1 4/1/1 5/2/1
f 4/1/1 5/2/1 6/3/1
f 1/1/1 6/2/1 7/3/1
f 2/1/1 7/2/1 8/3/1
EOF
run $'open-mesh huge.obj\nset-up-camera\nmode lasso\npart 1\ndrag left 0 0 639 0 639 479 0 479 0 0
part 2\ndrag left 300 200 340 200 340 260 300 260 300 200\npreview\npush\npush\ncompression -0.3
back\npart 1\ncompression 0.7\nview output\nexport\ntriangulate\n'
[ "$status" -eq 0 ] || fail "huge coordinates: status $status"
! grep -qi 'nan\|inf' data/export.obj data/remesh.obj || fail "huge coordinates: non-finite numbers written"
run $'open-mesh data/export.obj\nopen-mesh data/remesh.obj\n'
beyond='The model reaches beyond the clipping planes from this view; press f ("Frame Model") to fit it into the window'
expect_err "SimpleMesh::load: data/export.obj loaded
$beyond
SimpleMesh::load: data/remesh.obj loaded
$beyond" "huge coordinates: files read back"
cp reference/* data/

# --- Faces of no, one and two corners, repeated corners, a hexagon: every pass takes them ------
cat >degenerate.obj <<'EOF'
v -10 -10 0
v 10 -10 0
v 10 10 0
v -10 10 0
v 0 0 5
v 0 20 -5
f
f 1
f 1 2
f 1 1 1
f 1 2 3
f 1 3 4
f 2 3 5
f 3 4 5
f 1 2 3 4 5 6
f 4 3 6
f 1 2 5 4
EOF
run $'open-mesh degenerate.obj\nset-up-camera\nmode lasso\npart 1
drag left 100 100 540 100 540 380 100 380 100 100\npart 2
drag left 300 200 340 200 340 260 300 260 300 200\nmode camera\npress left 320 240 shift
release left 320 240\npreview\npush\ncompression 0.4\nview output\nwireframe on\nback-face off
export\ntriangulate\nkey d\nscreenshot data/degenerate.png\nopen-mesh data/export.obj
open-mesh data/remesh.obj\n'
[ "$status" -eq 0 ] || fail "degenerate faces: status $status"
expect_err $'SimpleMesh::computeNormals: called\nSimpleMesh::load: degenerate.obj loaded
Mesh ID : 7\nDone!\nDone!\nSimpleMesh::load: data/export.obj loaded
SimpleMesh::load: data/remesh.obj loaded' "degenerate faces"
cp reference/* data/

# --- "data" that is a file, or a path through a file -----------------------------------------
mv data data.folder
echo "a file where the folder should be" >data
run "${open_sample}"$'export\ntriangulate\nscreenshot data/view.png\nkey c\n'
[ "$status" -eq 2 ] || fail "data as a file: status $status"
expect_err "$loaded_sample
exportModel: cannot write data/export.obj: Not a directory
triangulateFaces: cannot write data/remesh.obj: Not a directory
script:4: cannot save the window as \"data/view.png\"" "data as a file"
[ "$(cat data)" = "a file where the folder should be" ] || fail "data as a file: the file changed"
[ ! -s out ] || fail "data as a file: the script went on"
rm data
mv data.folder data

# --- A disk that fills up while exporting (a file size limit stands for it) ------------------
run "${open_sample}"$'export\ntriangulate\n'
cp data/export.obj data/export.bmp data/remesh.obj reference/
status=0
(
    ulimit -f 16 # kilobytes: the model file (47 kB) does not fit
    trap '' XFSZ
    exec "$program" --batch <(printf '%s' "${open_sample}"$'export\ntriangulate\nscreenshot data/view.png\n') \
        >out 2>err.all
) || status=$?
grep -v '^GLUI version: ' err.all >err || true
[ "$status" -eq 2 ] || fail "file size limit: status $status"
expect_err "$loaded_sample
exportModel: cannot write data/export.obj: File too large
triangulateFaces: cannot write data/remesh.obj: File too large
script:4: cannot save the window as \"data/view.png\"" "file size limit"
same_file data/export.obj reference/export.obj "file size limit"
same_file data/export.bmp reference/export.bmp "file size limit"
same_file data/remesh.obj reference/remesh.obj "file size limit"
no_leftovers "file size limit"

# The model file fits but its image does not: neither replaces the previous export.
printf 'v 0 0 0\nv 20 0 0\nv 0 20 0\nf 1 2 3\n' >small.obj
status=0
(
    ulimit -f 16
    trap '' XFSZ
    exec "$program" --batch <(printf 'open-mesh small.obj\nexport\n') >out 2>err.all
) || status=$?
grep -v '^GLUI version: ' err.all >err || true
[ "$status" -eq 0 ] || fail "image over the limit: status $status"
expect_err $'SimpleMesh::computeNormals: called\nSimpleMesh::load: small.obj loaded
exportModel: cannot write data/export.bmp: File too large' "image over the limit"
same_file data/export.obj reference/export.obj "image over the limit"
same_file data/export.bmp reference/export.bmp "image over the limit"
no_leftovers "image over the limit"

# --- A full and a read-only "data" (a small file system of its own, where mounting works) ----
if unshare -m true 2>/dev/null && unshare -m sh -c 'mount -t tmpfs -o size=64k tmpfs data' 2>/dev/null; then
    unshare -m bash -s "$program" <<'EOF' >mounted.log 2>&1 || fail "full or read-only data: $(cat mounted.log)"
set -euo pipefail
program=$1
fail() { echo "$*"; exit 1; }
mount -t tmpfs -o size=256k tmpfs data
session=$'window 40 30\nopen-mesh Mesh/sample.obj\nexport\ntriangulate\n'
printf '%s' "$session" >session.hvs
"$program" --batch session.hvs >/dev/null 2>&1 || fail "first export"
mkdir kept
cp data/export.obj data/export.bmp data/remesh.obj kept/
dd if=/dev/zero of=data/filler bs=4k >/dev/null 2>&1 || true
"$program" --batch session.hvs >/dev/null 2>err || fail "full: status $?"
grep -qx 'exportModel: cannot write data/export.obj: No space left on device' err || fail "full: $(cat err)"
grep -qx 'triangulateFaces: cannot write data/remesh.obj: No space left on device' err || fail "full: $(cat err)"
rm data/filler
mount -o remount,ro data
"$program" --batch session.hvs >/dev/null 2>err || fail "read-only: status $?"
grep -qx 'exportModel: cannot write data/export.obj: Read-only file system' err || fail "read-only: $(cat err)"
grep -qx 'triangulateFaces: cannot write data/remesh.obj: Read-only file system' err || fail "read-only: $(cat err)"
for f in export.obj export.bmp remesh.obj; do cmp -s "data/$f" "kept/$f" || fail "$f changed"; done
[ -z "$(find data -name '*.tmp')" ] || fail "temporary files left"
EOF
else
    echo "note: no mount namespace here; the full and read-only file system cases were not run"
fi

# --- Windows of 1 x 1 and 4000 x 3000 pixels through every pass that reads the window back -----
for size in "1 1" "4000 3000"; do
    read -r w h <<<"$size"
    run "window $w $h
${open_sample}set-up-camera
mode lasso
part 1
drag left 0 0 $((w * 3 / 4)) 0 $((w * 3 / 4)) $((h * 3 / 4)) 0 $((h * 3 / 4)) 0 0
mode camera
press left 0 0 shift
release left 0 0
press left $((w / 2)) $((h / 2)) shift
release left $((w / 2)) $((h / 2))
preview
view output
export
triangulate
screenshot data/view.png
"
    [ "$status" -eq 0 ] || fail "window $w x $h: status $status: $(cat err)"
    [ "$(bmp_size data/export.bmp)" = "${w}x${h}" ] || fail "window $w x $h: export.bmp $(bmp_size data/export.bmp)"
    [ "$(png_size data/view.png)" = "${w}x${h}" ] || fail "window $w x $h: view.png $(png_size data/view.png)"
    [ "$(grep -c '^Mesh ID : ' err)" -eq 2 ] || fail "window $w x $h: picks $(grep '^Mesh ID' err)"
    grep -q '^Done!$' err || fail "window $w x $h: no export"
    if [ "$w" -eq 1 ]; then
        # Both clicks pick the face the only pixel shows; the loop around it encloses no vertex.
        picks=$(grep '^Mesh ID : ' err)
        [ "$(sed -n 1p <<<"$picks")" = "$(sed -n 2p <<<"$picks")" ] &&
            [ "$(sed -n 1p <<<"$picks")" != "Mesh ID : -1" ] || fail "1 x 1: $picks"
        ! grep -q '^painted verts' out || fail "1 x 1: vertices painted"
    else
        # The lasso paints the vertices in its loop; the centre pixel shows a face.
        [ "$(grep -c '^painted verts\[' out)" -gt 100 ] || fail "4000 x 3000: $(grep -c painted out) painted"
        [ "$(grep '^Mesh ID : ' err | tail -1)" != "Mesh ID : -1" ] || fail "4000 x 3000: no face at the centre"
    fi
    run $'open-mesh data/export.obj\nopen-mesh data/remesh.obj\n'
    expect_err $'SimpleMesh::load: data/export.obj loaded\nSimpleMesh::load: data/remesh.obj loaded' \
        "window $w x $h: files read back"
done
