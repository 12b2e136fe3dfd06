#!/usr/bin/env bash
# The program run with --batch and no display: how it ends (keys q and esc with 0, "Quit" with
# -1, a bad line with "script:LINE: reason" and 2, nothing run after any of them), --help, a
# start without a display, a model named on the command line opened at start, and the sample
# session that scripts/run runs where there is no display.
#
# Usage: batch_runs.sh PATH/TO/hollowvista
source "$(dirname "$0")/lib/common.sh"
cd "$work"
camera='camera qrot: (-0.21,0.2,0.04,0.95)
camera trans: (0,0,-100)
camera distance: 10'

run $'key c\nkey q\nkey c\n'
[ "$status: $(cat out)" = "0: $camera" ] || fail "key q: status $status, printed $(cat out)"
grep -Eqx 'GLUI version: [0-9]+\.[0-9]+' err.all && [ "$(wc -l <err.all)" -eq 1 ] || fail "start-up lines: $(cat err.all)"
# Nothing runs after an ending, nor before a bad line.
for ending in "0 key esc" "255 quit" $'2 key c\nfly away'; do
    run "${ending#* }"$'\nkey c\n'
    [ "$status" -eq "${ending%% *}" ] && [ ! -s out ] || fail "$ending: status $status, printed $(cat out)"
done
[ "$(cat err)" = 'script:2: unknown command "fly"' ] || fail "bad line: $(cat err)"

status=0; "$program" --batch missing.hvs 2>err || status=$?
[ "$status: $(cat err)" = '2: hollowvista: cannot read the script "missing.hvs"' ] || fail "missing script: $status: $(cat err)"
status=0; "$program" --help >out || status=$?
[ "$status" -eq 0 ] && grep -q '^  drag BUTTON X1 Y1 ... Xn Yn ' out || fail "--help"
status=0; "$program" 2>err || status=$?
[ "$status" -eq 1 ] && grep -q -- '--batch' err || fail "no display: status $status, $(cat err)"

# A model named after the script opens at start, before the first command.
printf 'v -8 -8 0\nv 8 -8 0\nv 8 8 0\nv -8 8 0\nf 1 2 3 4\n' >square.obj
run $'screenshot plain.png\n'
run $'screenshot model.png\n' square.obj
[ "$status" -eq 0 ] || fail "start-up model: status $status, $(cat err)"
[ -s plain.png ] && [ -s model.png ] || fail "no screenshots"
! cmp -s plain.png model.png || fail "the model named at start was not drawn"

mkdir Mesh
cp "$root/Mesh/sample."* Mesh/
run "$(cat "$root/examples/sample.hvs")"
[ "$status" -eq 0 ] && [ -s data/export.obj ] && [ -s data/export.bmp ] && [ -s data/sample.png ] ||
    fail "sample session: status $status, $(cat err), files $(ls data)"
echo "ok"
