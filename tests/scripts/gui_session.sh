#!/usr/bin/env bash
# The GUI on a virtual X server: both windows appear with their titles, the panel to the right
# of the 640 x 480 view at (665, 0) and sized to its controls; a left drag turns the view and
# key r resets it and a wheel notch brings the model nearer, as key c shows; once the pointer rests the program draws nothing and uses
# next to no processor time; a quick click on "Triangulate Faces" (press and release in
# one burst, before the panel draws again) runs it; "Save Session" and "Open Session" write and
# read a session file through their dialogs; "Quit" ends the program with status -1
# (255). A model too small to see, named on the command line, gets the same framing advice as in
# a batch run of the same window. Every wait polls for what the program prints, with a deadline.
#
# Usage: gui_session.sh PATH/TO/hollowvista   (panel_layout is built beside it, in tests/)
x=1 source "$(dirname "$0")/lib/common.sh"
"$(dirname "$program")/tests/panel_layout" >"$work/layout"
# Centre of a control in the panel window, "X Y".
centre() { awk -F'\t' -v label="$1" '$1 == label { print $2, $3 }' "$work/layout"; }

cp "$root"/Mesh/sample.* "$work"
(cd "$work" && exec "$program" "$work/sample.obj" >out 2>err) &
pid=$!
main=$(find_window '^Make Hollowvista Models$')
panel=$(find_window '^GLUI$')
[ -n "$main" ] && [ -n "$panel" ] || fail "a window is missing: main \"$main\", panel \"$panel\""
[[ $(xdotool getwindowgeometry "$main") == *"Geometry: 640x480"* ]] || fail "view is not 640x480"
# The panel is mapped before the X server has applied its position, and fits itself to its
# controls after its first frame: look again for up to ten seconds.
size=$(awk -F'\t' '$1 == "size" { print $2 "x" $3 }' "$work/layout")
wait_until 10 '[[ $(xdotool getwindowgeometry "$panel") == *"Position: 665,0 "*"Geometry: $size"* ]]' ||
    fail "panel not at (665, 0) with size $size: $(xdotool getwindowgeometry "$panel")"
grep -Eq '^GLUI version: [0-9]+\.[0-9]+$' "$work/err" || fail "no version line: $(cat "$work/err")"

# Keys go to the window under the pointer (no window manager). $1 lines of output, or fail.
wait_lines() {
    wait_until 10 '[ "$(wc -l <"$work/out")" -ge '"$1"' ]' ||
        fail "expected $1 lines, got:$(printf '\n')$(cat "$work/out")"
}
xdotool mousemove --window "$main" 320 240 key c
wait_lines 3
start=$(sed -n 1,3p "$work/out")

# Turn the view with a left drag in the 3-D window.
xdotool mousemove --window "$main" 320 240 mousedown 1
for x in 340 380 420 460; do
    xdotool mousemove --window "$main" "$x" 260
done
xdotool mouseup 1 key c
wait_lines 6
turned=$(sed -n 4,6p "$work/out")
[ "$turned" != "$start" ] || fail "the drag did not turn the view"

xdotool key r key c
wait_lines 9
[ "$(sed -n 7,9p "$work/out")" = "$start" ] || fail "key r did not reset the view"

xdotool click 4 key c
wait_lines 12
[ "$(sed -n 11p "$work/out")" = "camera trans: (0,0,-97.5)" ] || fail "wheel up: $(sed -n 10,12p "$work/out")"

# Drawing on every idle call kept a core busy (3 s of processor time in 3 s); at rest, after the
# last frames of the pointer's motion, a tenth of a core allows for a busy machine.
xdotool mousemove --window "$panel" 40 40 mousemove --window "$main" 320 240
ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; } # user + system time so far
sleep 1
before=$(ticks)
sleep 3
used=$(($(ticks) - before)) per_second=$(getconf CLK_TCK)
[ "$used" -le $((per_second * 3 / 10)) ] ||
    fail "the idle program used $used ticks ($per_second a second) of processor time in 3 s"

# A quick click on "Triangulate Faces" writes data/remesh.obj in the working directory.
read -r x y <<<"$(centre "Triangulate Faces")"
xdotool mousemove --window "$panel" "$x" "$y" mousedown 1 mouseup 1
wait_until 10 'grep -qx "Done!" "$work/err"' || fail "the click did not triangulate: $(cat "$work/err")"
[ -s "$work/data/remesh.obj" ] || fail "no data/remesh.obj"

# Lasso mode and a loop in the view: the autosave holds it, and Ctrl+Z takes it back.
read -r x y <<<"$(centre "Lasso")"
xdotool mousemove --window "$panel" "$x" "$y" sleep 0.2 mousedown 1 sleep 0.2 mouseup 1
sleep 0.5
xdotool mousemove --window "$main" 150 150 mousedown 1 mousemove --window "$main" 400 150 \
    mousemove --window "$main" 400 350 mousemove --window "$main" 150 350 mouseup 1
wait_until 10 '[ -s "$work/data/autosave.hvsession" ]' || fail "no autosave after a loop"
xdotool key ctrl+z
wait_until 10 'grep -qx "undo: lasso loop, part 0" "$work/out"' ||
    fail "Ctrl+Z did not undo the loop: $(cat "$work/out")"

# "Save Session" and "Open Session" in GTK's dialogs, answered with Return: the save dialog
# proposes session.hvsession in the folder of the last file chosen (the model's, $work), the
# open dialog the file just saved.
dialog() {
    read -r x y <<<"$(centre "$1")"
    xdotool mousemove --window "$panel" "$x" "$y" sleep 0.2 mousedown 1 sleep 0.2 mouseup 1
    local window
    window=$(find_window "^$2\$")
    [ -n "$window" ] || fail "\"$1\" showed no dialog \"$2\""
    # Keys go to the window under the pointer; the server handles the motion before them.
    xdotool mousemove --window "$window" 300 300 key Return
}
dialog "Save Session" "Save session"
wait_until 10 "grep -qx 'Session saved: $work/session.hvsession' '$work/out'" ||
    fail "\"Save Session\" wrote nothing: $(cat "$work/out")"
grep -qx 'hollowvista-session 1' "$work/session.hvsession" ||
    fail "the saved session: $(head -c 200 "$work/session.hvsession")"
dialog "Open Session" "Select input file"
wait_until 10 "grep -qx 'Session opened: $work/session.hvsession' '$work/out'" ||
    fail "\"Open Session\" opened nothing: $(cat "$work/out")"

read -r x y <<<"$(centre "Quit")"
xdotool mousemove --window "$panel" "$x" "$y" sleep 0.2 mousedown 1 sleep 0.2 mouseup 1
status=0
wait "$pid" || status=$?
[ "$status" -eq 255 ] || fail "\"Quit\" ended with status $status"
grep -qx 'The work is saved in data/autosave.hvsession: "Open Session" or open-session data/autosave.hvsession reopens it' \
    "$work/out" || fail "Quit did not name the autosave: $(cat "$work/out")"

cd "$work"
printf 'v -1 -1 0\nv 1 -1 0\nv 1 1 0\nv -1 1 0\nf 1 2 3 4\n' >tiny.obj
: >empty.hvs
batch=$("$program" --batch empty.hvs tiny.obj 2>&1 | grep 'covers only')
"$program" tiny.obj >out 2>err &
pid=$!
wait_until 10 'grep -q "covers only" err' || fail "no framing advice in the GUI: $(cat err)"
kill "$pid"
wait "$pid" || true
[ "$(grep 'covers only' err)" = "$batch" ] || fail "GUI: $(grep 'covers only' err), batch: $batch"
echo "ok"
