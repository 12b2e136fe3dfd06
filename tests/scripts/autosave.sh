#!/usr/bin/env bash
# The autosave: with "autosave on" every edit writes data/autosave.hvsession; key q (and so
# Esc, "Quit" and a closed window, which end the program the same way) keeps its exit status
# and names the file; a new process reopens it to the same export as the work had; the next
# run's first edit keeps the file it found as data/autosave.previous.hvsession; a session
# file named on the command line opens like open-session.
#
# Usage: autosave.sh PATH/TO/hollowvista
source "$(dirname "$0")/lib/common.sh"
cd "$work"
paint="open-mesh $root/Mesh/sample.obj
camera -0.21 0.1 0.02 0.97 0 0 -100
set-up-camera
mode lasso
part 1
drag left 88 106 334 110 348 160 352 340 322 386 86 368 82 220 88 106
preview
part 1
push"
printf '%s\nautosave on\n%s\nexport\nkey q\n' "" "$paint" >work.hvs
status=0
"$program" --batch work.hvs >out 2>err || status=$?
[ "$status" -eq 0 ] || fail "key q ended with status $status: $(cat err)"
[ "$(tail -n 1 out)" = 'The work is saved in data/autosave.hvsession: "Open Session" or open-session data/autosave.hvsession reopens it' ] ||
    fail "the last line does not name the autosave: $(tail -n 3 out)"
cp data/export.obj before.obj
cp data/export.bmp before.bmp

reopen_exports_as before "the reopened autosave"

# A session file on the command line; and the earlier autosave is kept at the first edit.
cp data/autosave.hvsession earlier.hvsession
printf 'autosave on\npart 1\nback\nexport\n' >more.hvs
"$program" --batch more.hvs data/autosave.hvsession >out 2>err || fail "command line: $(cat err)"
cmp -s earlier.hvsession data/autosave.previous.hvsession || fail "the earlier autosave is lost"
cmp -s before.obj data/export.obj && fail "Back after the session changed nothing"
# Without "autosave on" nothing is written and nothing is said.
rm -r data
printf '%s\nexport\nkey q\n' "$paint" >plain.hvs
"$program" --batch plain.hvs >out 2>err || fail "plain session: $(cat err)"
[ ! -e data/autosave.hvsession ] || fail "an autosave without autosave on"
grep -q autosave out && fail "an autosave line without autosave on: $(grep autosave out)"
echo "ok"
