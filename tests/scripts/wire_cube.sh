#!/usr/bin/env bash
# The reference cube draws the same pixels with freeglut's glutWireCube in a GLUT window, with
# the program's drawWireCube in that window, and with drawWireCube on the offscreen surface
# that batch runs use.
#
# Usage: wire_cube.sh PATH/TO/hollowvista   (wire_cube_pixels is built beside it, in tests/)
set -euo pipefail
program=$(realpath "$1")
tool="$(dirname "$program")/tests/wire_cube_pixels"
source "$(dirname "$0")/lib/common.sh"
for mode in glut-cube glut-draw egl-draw; do
    white=$("$tool" "$mode" "$work/$mode.rgb")
    [ "$white" -gt 1000 ] || fail "$mode drew only $white white pixels"
done
cmp -s "$work/glut-cube.rgb" "$work/glut-draw.rgb" || fail "drawWireCube differs from glutWireCube"
cmp -s "$work/glut-cube.rgb" "$work/egl-draw.rgb" || fail "the offscreen cube differs"
echo "ok"
