#!/usr/bin/env bash
# The bundled sample model: the committed files are exactly what scripts/make_sample.py
# writes; the model is what the program and the sample script rely on (triangles with full
# v/t/n corners, wound counter-clockwise seen from outside, the pavement sharing its edge
# with the house and the crates, inside the view); and the program loads it and its texture
# without a complaint.
#
# Usage: sample_model.sh PATH/TO/hollowvista
set -euo pipefail

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

program=$(cd "$(dirname "$1")" && pwd -P)/$(basename "$1")
root=$(cd "$(dirname "$0")/../.." && pwd -P)
cd "$root"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 scripts/make_sample.py "$work/Mesh" >/dev/null || fail "scripts/make_sample.py failed"
for file in sample.obj sample.mtl sample.bmp; do
    cmp -s "$work/Mesh/$file" "Mesh/$file" ||
        fail "Mesh/$file differs from what scripts/make_sample.py writes: run it again"
done

python3 - Mesh/sample.obj Mesh/sample.mtl Mesh/sample.bmp <<'EOF' || fail "Mesh/sample.obj"
import struct, sys

obj_path, mtl_path, bmp_path = sys.argv[1:4]
problems = []
lines = open(obj_path).read().splitlines()
words = [l.split() for l in lines if l.strip() and not l.startswith("#")]
v = [tuple(map(float, w[1:])) for w in words if w[0] == "v"]
vt = [tuple(map(float, w[1:])) for w in words if w[0] == "vt"]
vn = [tuple(map(float, w[1:])) for w in words if w[0] == "vn"]

def sub(a, b): return [x - y for x, y in zip(a, b)]
def cross(a, b): return [a[1]*b[2] - a[2]*b[1], a[2]*b[0] - a[0]*b[2], a[0]*b[1] - a[1]*b[0]]
def dot(a, b): return sum(x * y for x, y in zip(a, b))

groups, group = {}, None
for w in words:
    if w[0] == "g":
        group = w[1]
    if w[0] != "f":
        continue
    corners = [c.split("/") for c in w[1:]]
    if len(corners) != 3 or any(len(c) != 3 or "" in c for c in corners):
        problems.append(f"not a v/t/n triangle: {' '.join(w)}")
        continue
    p, t, n = ([int(c[k]) - 1 for c in corners] for k in range(3))
    if not (all(0 <= i < len(v) for i in p) and all(0 <= i < len(vt) for i in t)
            and all(0 <= i < len(vn) for i in n)):
        problems.append(f"index out of range: {' '.join(w)}")
        continue
    facing = cross(sub(v[p[1]], v[p[0]]), sub(v[p[2]], v[p[0]]))
    if dot(facing, vn[n[0]]) <= 0 or len(set(n)) != 1:
        problems.append(f"not counter-clockwise seen from its normal's side: {' '.join(w)}")
    groups.setdefault(group, set()).update(p)

faces = sum(1 for w in words if w[0] == "f")
if not 100 <= faces <= 3000:
    problems.append(f"{faces} faces")
if sorted(groups) != ["crates", "house", "pavement"]:
    problems.append(f"groups {sorted(groups)}")
elif not (groups["pavement"] & groups["house"] and groups["pavement"] & groups["crates"]):
    problems.append("the pavement shares no position with the house or the crates")
# The window shows about +-12 x +-9 units around the origin from the program's camera.
if any(abs(x) > 10 or abs(y) > 6 or abs(z) > 6 for x, y, z in v):
    problems.append("a position lies outside the view")
if any(not (0 < s < 1 and 0 < t < 1) for s, t in vt):
    problems.append("a texture coordinate lies outside the picture")

if [l for l in lines if l.startswith("mtllib")] != ["mtllib sample.mtl"]:
    problems.append("the mtllib line does not name sample.mtl, beside it")
if "map_Kd sample.bmp" not in open(mtl_path).read().splitlines():
    problems.append("the material does not name sample.bmp")
header = open(bmp_path, "rb").read(30)
if header[:2] != b"BM" or struct.unpack("<iiHH", header[18:30]) != (512, 512, 1, 24):
    problems.append("sample.bmp is not a 512 x 512 24-bit BMP")

for problem in problems[:20]:
    print(problem, file=sys.stderr)
sys.exit(1 if problems else 0)
EOF

# Opening the model opens the texture its material names, with nothing but the two success lines.
printf 'open-mesh Mesh/sample.obj\n' >"$work/open.hvs"
"$program" --batch "$work/open.hvs" >"$work/out.txt" 2>"$work/err.txt" ||
    fail "hollowvista --batch: status $?"
expected="SimpleMesh::load: Mesh/sample.obj loaded
SimpleMesh::loadTexture: Mesh/sample.bmp (512x512)"
reader_lines=$(grep -E '::|3rd continue|not found' "$work/err.txt" "$work/out.txt" -h || true)
[ "$reader_lines" == "$expected" ] || fail "loading the sample printed:$(printf '\n')$reader_lines"
echo "sample model: ok"
