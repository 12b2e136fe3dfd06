#!/usr/bin/env bash
# The GUI on a virtual X server draws only when something changes: after the pointer passes
# over both windows and comes to rest, the idle program uses next to no processor time.
#
# Usage: gui_idle.sh PATH/TO/hollowvista
set -euo pipefail
program=$(realpath "$1")
source "$(dirname "$0")/lib/common.sh"
"$program" Mesh/sample.obj >"$work/out" 2>"$work/err" &
pid=$!
main=$(find_window '^Make Hollowvista Models$')
panel=$(find_window '^GLUI$')
[ -n "$main" ] && [ -n "$panel" ] || fail "windows did not appear"
xdotool mousemove --window "$panel" 40 40 mousemove --window "$main" 320 240

# Processor time (user + system, in clock ticks) the program has used so far.
ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
per_second=$(getconf CLK_TCK)
sleep 1 # the last frames after the pointer's motion
before=$(ticks)
sleep 3
used=$(($(ticks) - before))
# Drawing on every idle call kept a core busy (3 s of processor time in these 3 s); at rest
# the program should use almost none. A tenth of a core allows for a busy machine.
[ "$used" -le $((per_second * 3 / 10)) ] ||
    fail "the idle program used $used ticks ($per_second a second) of processor time in 3 s"
kill "$pid"
echo "idle: $used ticks in 3 s"
