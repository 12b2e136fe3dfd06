#!/usr/bin/env bash
# Nothing lost when the window's program is killed, and what it says at start and at its end.
# A session file in Lasso mode, named on the command line, opens (an edit: the first autosave);
# a loop is drawn, "Export" writes the work, and the process is killed with SIGKILL once the
# autosave holds the loop: a new process that opens data/autosave.hvsession exports the same
# bytes. The next start says how to reopen the autosave; Esc and a window closed as a window
# manager closes it end with status 0 and the line naming the file.
#
# Usage: killed_session.sh PATH/TO/hollowvista   (panel_layout and close_window beside it)
x=1 source "$(dirname "$0")/lib/common.sh"
tools=$(dirname "$program")/tests
cd "$work"
cp "$root"/Mesh/sample.* .
"$tools/panel_layout" >layout
earlier='An autosave of earlier work exists: "Open Session" data/autosave.hvsession, or open-session data/autosave.hvsession, reopens it'
saved='The work is saved in data/autosave.hvsession: "Open Session" or open-session data/autosave.hvsession reopens it'

printf 'open-mesh %s\ncamera -0.21 0.1 0.02 0.97 0 0 -100\nset-up-camera\nmode lasso\npart 1\nsave-session lasso.hvsession\n' \
    "$work/sample.obj" >lasso.hvs
"$program" --batch lasso.hvs >out 2>err || fail "the session was not saved: $(cat err)"

# Starts the window's program on the session file, its console in $1.out and $1.err; sets pid,
# main and panel, and waits for the session's first autosave.
start() {
    (exec "$program" lasso.hvsession >"$1.out" 2>"$1.err") &
    pid=$!
    main=$(find_window '^Make Hollowvista Models$')
    panel=$(find_window '^GLUI$')
    [ -n "$main" ] && [ -n "$panel" ] || fail "$1: a window is missing"
    wait_until 20 "grep -qx 'Session opened: lasso.hvsession' $1.out" || fail "$1: $(cat "$1.out")"
    wait_until 20 '[ -s data/autosave.hvsession ]' || fail "$1: no autosave after Open Session"
}
# Waits for the program to end with status $1 and its last line to name the autosave.
ends_with() {
    local status=0
    wait "$pid" || status=$?
    [ "$status" -eq "$1" ] || fail "$2 ended with status $status, not $1"
    [ "$(tail -n 1 "$3.out")" = "$saved" ] || fail "$2 did not name the autosave: $(tail -n 2 "$3.out")"
}

start first
[ "$(sed -n 1p first.out)" = 'Session opened: lasso.hvsession' ] ||
    fail "a first start mentions an autosave: $(sed -n 1p first.out)"
cp data/autosave.hvsession opened.hvsession
xdotool mousemove --window "$main" 150 150 mousedown 1 mousemove --window "$main" 400 150 \
    mousemove --window "$main" 400 350 mousemove --window "$main" 150 350 mouseup 1
# The autosave after the loop is the only write that follows the one of "Open Session".
wait_until 20 '! cmp -s opened.hvsession data/autosave.hvsession' || fail "no autosave after the loop"
read -r x y <<<"$(awk -F'\t' '$1 == "Export" { print $2, $3 }' layout)"
xdotool mousemove --window "$panel" "$x" "$y" sleep 0.2 mousedown 1 sleep 0.2 mouseup 1
wait_until 20 'grep -qx "Done!" first.err' || fail "\"Export\" wrote nothing: $(cat first.err)"
kill -KILL "$pid"
status=0
wait "$pid" || status=$?
[ "$status" -eq 137 ] || fail "the program was not killed: status $status"
mv data/export.obj killed.obj
mv data/export.bmp killed.bmp
cp data/autosave.hvsession killed.hvsession

reopen_exports_as killed "the autosave of the killed process"

start second
[ "$(sed -n 1p second.out)" = "$earlier" ] || fail "no line on the earlier autosave: $(cat second.out)"
cmp -s killed.hvsession data/autosave.previous.hvsession || fail "the killed process's autosave is lost"
xdotool mousemove --window "$main" 320 240 key Escape
ends_with 0 Esc second

start third
"$tools/close_window" "$main" || fail "the close request was not sent"
ends_with 0 "A closed window" third
echo "ok"
