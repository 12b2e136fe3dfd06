#!/usr/bin/env bash
# Panel clicks on a virtual X server reach the commands, quick ones too (press and release in
# one burst, before the panel draws again): the view is turned with the mouse, "Set Up a Camera"
# stores it, key r resets the view and key s brings the stored pose back, so key c prints the
# turned pose; "Quit" then ends the program with status -1 (255).
#
# Usage: gui_panel_clicks.sh PATH/TO/hollowvista   (panel_layout is built beside it, in tests/)
set -euo pipefail
program=$(realpath "$1")
layout_tool="$(dirname "$program")/tests/panel_layout"
source "$(dirname "$0")/lib/common.sh"
"$layout_tool" >"$work/layout"
# Centre of a control in the panel window, "X Y".
centre() { awk -F'\t' -v label="$1" '$1 == label { print $2, $3 }' "$work/layout"; }

"$program" >"$work/out" 2>"$work/err" &
pid=$!
main=$(find_window '^Make Hollowvista Models$')
panel=$(find_window '^GLUI$')
[ -n "$main" ] && [ -n "$panel" ] || fail "windows did not appear"
# The panel fits itself to its controls after its first frame.
size=$(awk -F'\t' '$1 == "size" { print $2 "x" $3 }' "$work/layout")
for _ in $(seq 50); do
    [[ $(geometry "$panel") == *"Geometry: $size"* ]] && break
    sleep 0.2
done

wait_lines() {
    for _ in $(seq 50); do
        [ "$(wc -l <"$work/out")" -ge "$1" ] && return 0
        sleep 0.2
    done
    fail "expected $1 lines, got:$(printf '\n')$(cat "$work/out")"
}

# Turn the view with a left drag in the 3-D window.
xdotool mousemove --window "$main" 320 240 mousedown 1
for x in 340 380 420 460; do
    xdotool mousemove --window "$main" "$x" 260
    sleep 0.05
done
xdotool mouseup 1
xdotool key c
wait_lines 3
turned=$(head -3 "$work/out")
[ "$(head -1 "$work/out")" != "camera qrot: (-0.21,0.2,0.04,0.95)" ] || fail "the drag did not turn"

# A quick click on "Set Up a Camera", then r and s in the view.
read -r x y <<<"$(centre "Set Up a Camera")"
xdotool mousemove --window "$panel" "$x" "$y"
sleep 0.3
xdotool mousedown 1 mouseup 1
sleep 0.5
xdotool mousemove --window "$main" 320 240 key r key c
wait_lines 6
[ "$(sed -n 4p "$work/out")" = "camera qrot: (-0.21,0.2,0.04,0.95)" ] || fail "key r did not reset"
xdotool key s key c
wait_lines 9
[ "$(sed -n 7,9p "$work/out")" = "$turned" ] ||
    fail "the click did not store the camera:$(printf '\n')$(cat "$work/out")"

read -r x y <<<"$(centre "Quit")"
xdotool mousemove --window "$panel" "$x" "$y"
sleep 0.3
xdotool mousedown 1 mouseup 1
status=0
wait "$pid" || status=$?
[ "$status" -eq 255 ] || fail "\"Quit\" ended with status $status"
echo "ok"
