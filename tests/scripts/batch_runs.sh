#!/usr/bin/env bash
# The program run with --batch and no display: how it ends (keys q and esc with 0, "Quit" with
# -1, a bad line with "script:LINE: reason" and 2, nothing run after any of them), --help, a
# start without a display, a model named on the command line opened at start, and the sample
# session that scripts/run runs where there is no display.
#
# Usage: batch_runs.sh PATH/TO/hollowvista
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

# Runs the script text $1 (extra arguments follow); leaves status, out and err behind.
run() {
    printf '%s' "$1" >script.hvs
    shift
    status=0
    "$program" --batch script.hvs "$@" >out 2>err || status=$?
}
camera='camera qrot: (-0.21,0.2,0.04,0.95)
camera trans: (0,0,-100)
camera distance: 10'

run $'key c\nkey q\nkey c\n'
[ "$status" -eq 0 ] || fail "key q: status $status"
[ "$(cat out)" = "$camera" ] || fail "key q: printed $(cat out)"
grep -Eqx 'GLUI version: [0-9]+\.[0-9]+' err && [ "$(wc -l <err)" -eq 1 ] || fail "start-up lines: $(cat err)"

run $'key esc\nkey c\n'
[ "$status" -eq 0 ] || fail "esc: status $status"
[ ! -s out ] || fail "esc: the script went on"

run $'# ends like the button\nquit\nkey c\n'
[ "$status" -eq 255 ] || fail "quit: status $status"
[ ! -s out ] || fail "quit: the script went on"

run $'key c\nview output\nfly away\nkey c\n'
[ "$status" -eq 2 ] || fail "bad line: status $status"
[ "$(tail -1 err)" = 'script:3: unknown command "fly"' ] || fail "bad line: $(cat err)"
[ ! -s out ] || fail "bad line: commands ran before the script was checked"

status=0
"$program" --batch missing.hvs 2>err || status=$?
[ "$status" -eq 2 ] || fail "missing script: status $status"
[ "$(cat err)" = 'hollowvista: cannot read the script "missing.hvs"' ] || fail "$(cat err)"

status=0
"$program" --help >out || status=$?
[ "$status" -eq 0 ] && grep -q '^  drag BUTTON X1 Y1 ... Xn Yn ' out || fail "--help"

status=0
"$program" 2>err || status=$?
[ "$status" -eq 1 ] && grep -q -- '--batch' err || fail "no display: status $status, $(cat err)"

# A model named after the script opens at start, before the first command.
printf 'v -8 -8 0\nv 8 -8 0\nv 8 8 0\nv -8 8 0\nf 1 2 3 4\n' >square.obj
run $'screenshot plain.png\n'
run $'screenshot model.png\n' square.obj
[ "$status" -eq 0 ] || fail "start-up model: status $status, $(cat err)"
[ -s plain.png ] && [ -s model.png ] || fail "no screenshots"
! cmp -s plain.png model.png || fail "the model named at start was not drawn"

mkdir Mesh data examples
cp "$root/Mesh/sample."* Mesh/
cp "$root/examples/sample.hvs" examples/
status=0
"$program" --batch examples/sample.hvs >out 2>err || status=$?
[ "$status" -eq 0 ] || fail "sample session: status $status, $(cat err)"
for file in data/export.obj data/export.bmp data/sample.png; do
    [ -s "$file" ] || fail "sample session: no $file"
done
echo "ok"
