#!/usr/bin/env bash
# The program run with --batch and no display: how it ends (keys q and esc with 0, "Quit" with
# -1, a bad line with "script:LINE: reason" and 2, nothing run after any of them), --help, a
# start without a display, a model named on the command line opened at start (one that does not
# open stops the run with 2), the wheel's notches, --quiet against the full transcript with
# standard output flushed after every command, and the sample session that scripts/run runs
# where there is no display.
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
# A model or texture named at start that does not open: one line of its own, the script not run.
for files in "missing.obj:model \"missing.obj\"" "square.obj missing.png:texture \"missing.png\""; do
    run $'key c\n' ${files%%:*}
    [ "$status: $(tail -n 1 err)" = "2: hollowvista: cannot open the ${files#*:}" ] && ! grep -q camera out ||
        fail "start-up ${files%%:*}: status $status, $(cat err)"
done

# The wheel: a notch up 2.5 units nearer, two down 5 farther.
run $'wheel up\nkey c\nwheel down\nwheel down\nkey c\n'
[ "$(grep trans out | tr '\n' ' ')" = "camera trans: (0,0,-97.5) camera trans: (0,0,-102.5) " ] ||
    fail "wheel: $(cat out)"

mkdir Mesh
cp "$root/Mesh/sample."* Mesh/
run "$(cat "$root/examples/sample.hvs")"
[ "$status" -eq 0 ] && [ -s data/export.obj ] && [ -s data/export.bmp ] && [ -s data/sample.png ] ||
    fail "sample session: status $status, $(cat err), files $(ls data)"

# The sample session with a Shift+click (its "Mesh ID : " line goes to standard error) right
# after "Preview" and a print of the camera: with both streams in one file, the part depths of
# "Preview" come before the click's line. With --quiet the same session prints only what is no
# trace (the camera) and the same standard error, and writes the same model.
session=$(sed 's/^preview$/preview\nmode camera\npress left 5 5 shift\nrelease left 5 5\nkey c/' "$root/examples/sample.hvs")
printf '%s' "$session" >quiet.hvs
"$program" --batch quiet.hvs >log 2>&1 || fail "logged session: $(tail -n 3 log)"
depths=$(grep -n '^\[P\]3: ' log | tail -n 1) click=$(grep -n '^Mesh ID : ' log)
[ "${depths%%:*}" -lt "${click%%:*}" ] || fail "the depths of Preview were printed after the next command's line"
run "$session"
cp out full.out && cp err full.err && cp data/export.obj full.obj
run "$session" --quiet
trace='^(painted verts\[[0-9]+, [0-9]+\]|\[[BP]\][0-3]: max = .*|f\[[0-9]+, [0-9]+\] : .*|size\(MeshPair\): [0-9]+|([-0-9.e]+ )*)$'
[ "$(grep -Evc "$trace" full.out)" -eq 3 ] && [ "$(grep -Ev "$trace" full.out)" = "$(cat out)" ] ||
    fail "--quiet printed: $(head -n 5 out)"
cmp -s full.err err && cmp -s full.obj data/export.obj || fail "--quiet changed the session: $(cat err)"
echo "ok"
