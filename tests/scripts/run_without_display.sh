#!/usr/bin/env bash
# scripts/run on a machine without a display, in a copy of the source tree: it builds the
# program, runs the sample session script offscreen and lists the files it wrote. The sample
# must come out previewed and exported: the lassoed house and crates moved in depth, the
# pavement's outer edge (outside both loops) in place, the faces hidden from the camera left
# out.
#
# Usage: run_without_display.sh PATH/TO/hollowvista   (not used: scripts/run builds its own)
set -euo pipefail

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

root=$(cd "$(dirname "$0")/../.." && pwd -P)
[ -x "$root/scripts/run" ] && [ -f "$root/CMakeLists.txt" ] || fail "no source tree at $root"
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
tar -C "$root" --exclude=./.git --exclude='./build*' --exclude=./data -cf - . | tar -C "$copy" -xf -

log=$copy/run.log
env -u DISPLAY -u WAYLAND_DISPLAY "$copy/scripts/run" >"$log" 2>&1 ||
    fail "scripts/run: status $?; its output:$(printf '\n')$(tail -40 "$log")"

for file in data/export.obj data/export.bmp data/sample.png; do
    [ -s "$copy/$file" ] || fail "$file missing or empty"
    grep -qx "  $copy/$file" "$log" || fail "$file not listed in the output of scripts/run"
done
grep -q '^painted verts\[' "$copy/data/sample.log" || fail "no painted vertex in data/sample.log"

# Both images have the window's size, 640 x 480.
[ "$(head -c 2 "$copy/data/export.bmp")" == "BM" ] || fail "data/export.bmp is not a BMP file"
[ "$(od -An -tu4 -j18 -N8 "$copy/data/export.bmp" | xargs)" == "640 480" ] ||
    fail "data/export.bmp is not 640 x 480"
[ "$(od -An -tx1 -j16 -N8 "$copy/data/sample.png" | xargs)" == "00 00 02 80 00 00 01 e0" ] ||
    fail "data/sample.png is not a 640 x 480 PNG"

python3 - "$copy/Mesh/sample.obj" "$copy/data/export.obj" <<'EOF' || fail "data/export.obj"
import sys

def read(path):
    with open(path) as f:
        return f.read().splitlines()

sample, export = read(sys.argv[1]), read(sys.argv[2])

def keyword(lines, word):
    return [l.split()[1:] for l in lines if l.split()[:1] == [word]]

counts = {w: len(keyword(sample, w)) for w in ("v", "vt", "vn", "f")}
problems = []
if export[:2] != ["#Created by HollowvistaConverter", ""]:
    problems.append(f"header {export[:2]}")
for line in (f"# {counts['v']} vertices", f"# {counts['vt']} texture vertices",
             f"# {counts['vn']} normal vertices", f"# {counts['f']} elements"):
    if line not in export:
        problems.append(f"no line '{line}'")
written = len(keyword(export, "f"))
if not 0 < written < counts["f"]:
    problems.append(f"{written} faces written of {counts['f']}: the preview hid none")

before = [tuple(map(float, v)) for v in keyword(sample, "v")]
after = [tuple(map(float, v)) for v in keyword(export, "v")]
moved = [b for b, a in zip(before, after) if max(abs(x - y) for x, y in zip(a, b)) > 1e-4]
if not any(-8 <= x <= 0 and y > -4 for x, y, z in moved):
    problems.append("no vertex of the house moved")
if not any(2 <= x <= 6 and y > -4 for x, y, z in moved):
    problems.append("no vertex of the crates moved")
if any(abs(x) == 10 or z == 6 for x, y, z in moved):
    problems.append("the pavement's outer edge moved: it lies outside both loops")
for problem in problems:
    print(problem, file=sys.stderr)
sys.exit(1 if problems else 0)
EOF
echo "scripts/run without a display: ok"
