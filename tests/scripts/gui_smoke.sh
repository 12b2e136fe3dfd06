#!/usr/bin/env bash
# The GUI on a virtual X server: both windows appear with their titles, the panel to the right
# of the 640 x 480 view at (665, 0); key c in the view prints the start-up camera exactly;
# key q ends the program with status 0.
#
# Usage: gui_smoke.sh PATH/TO/hollowvista
set -euo pipefail
program=$(realpath "$1")
source "$(dirname "$0")/lib/common.sh"
"$program" >"$work/out" 2>"$work/err" &
pid=$!

main=$(find_window '^Make Hollowvista Models$')
panel=$(find_window '^GLUI$')
[ -n "$main" ] || fail "no window \"Make Hollowvista Models\""
[ -n "$panel" ] || fail "no window \"GLUI\""
[[ $(geometry "$main") == *"Geometry: 640x480"* ]] || fail "view is not 640x480"
# The window is mapped before the X server has applied its requested position: look again for
# up to two seconds.
for _ in $(seq 20); do
    [[ $(geometry "$panel") == *"Position: 665,0 "* ]] && break
    sleep 0.1
done
[[ $(geometry "$panel") == *"Position: 665,0 "* ]] ||
    fail "panel not at (665, 0): $(xdotool getwindowgeometry "$panel")"

# Keys go to the window under the pointer (no window manager).
xdotool mousemove --window "$main" 320 240
xdotool key c
for _ in $(seq 50); do
    [ "$(wc -l <"$work/out")" -ge 3 ] && break
    sleep 0.2
done
expected='camera qrot: (-0.21,0.2,0.04,0.95)
camera trans: (0,0,-100)
camera distance: 10'
[ "$(cat "$work/out")" = "$expected" ] || fail "key c printed:$(printf '\n')$(cat "$work/out")"
grep -Eq '^GLUI version: [0-9]+\.[0-9]+$' "$work/err" || fail "no version line: $(cat "$work/err")"

xdotool key q
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || fail "key q ended with status $status"
echo "ok"
