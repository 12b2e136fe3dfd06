#!/usr/bin/env bash
# A "data" folder on a small file system of its own (a tmpfs in a mount namespace): when it is
# full, and when it is read-only, "Export" and "Triangulate Faces" say why and the previous
# files stay whole. Skipped (status 77) where no mount namespace can be made.
#
# Usage: small_file_system.sh PATH/TO/hollowvista
set -euo pipefail
program=$(realpath "$1")
unset DISPLAY
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/Mesh" "$work/data"
cp Mesh/sample.obj Mesh/sample.mtl "$work/Mesh/"
cd "$work"
if ! unshare -m sh -c 'mount -t tmpfs -o size=64k tmpfs data' 2>/dev/null; then
    echo "SKIP: no mount namespace here"
    exit 77
fi

unshare -m bash -s "$program" <<'SESSION'
set -euo pipefail
program=$1
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
# Runs the session; fails unless it ends with 0 and both writers printed "$1".
export_fails_with() {
    "$program" --batch session.hvs >/dev/null 2>err || fail "$1: status $?"
    [ "$(grep -v '^GLUI version: ' err)" = "SimpleMesh::load: Mesh/sample.obj loaded
exportModel: cannot write data/export.obj: $1
triangulateFaces: cannot write data/remesh.obj: $1" ] || fail "$1: $(cat err)"
    for f in export.obj export.bmp remesh.obj; do cmp -s "data/$f" "kept/$f" || fail "$1: $f changed"; done
    [ -z "$(find data -name '*.tmp')" ] || fail "$1: temporary files left"
}
mount -t tmpfs -o size=256k tmpfs data
printf 'window 40 30\nopen-mesh Mesh/sample.obj\nexport\ntriangulate\n' >session.hvs
"$program" --batch session.hvs >/dev/null 2>&1 || fail "first export"
mkdir kept
cp data/export.obj data/export.bmp data/remesh.obj kept/
dd if=/dev/zero of=data/filler bs=4k >/dev/null 2>&1 || true
export_fails_with "No space left on device"
rm data/filler
mount -o remount,ro data
export_fails_with "Read-only file system"
SESSION
echo "ok"
