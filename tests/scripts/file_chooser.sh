#!/usr/bin/env bash
# The modal file chooser, driven like a user with xdotool under a virtual X server: a chosen
# file comes back as its full path and the working directory stays put; Escape gives "";
# every dialog proposes the last successful choice; a missing file cannot be chosen. With no
# display at all every call answers "" at once.
#
# Usage: file_chooser.sh PATH/TO/hollowvista   (the probe is built beside it, in tests/)
set -euo pipefail

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Waits (at most 20 s) for the probe to print the answer of call $1.
wait_for_answer() {
    for _ in $(seq 100); do
        grep -q "^choice $1:" "$out" && return 0
        kill -0 "$probe_pid" 2>/dev/null || fail "the probe ended before answering call $1"
        sleep 0.2
    done
    fail "no answer to call $1; probe output so far:$(printf '\n')$(cat "$out")"
}

# Waits (at most 20 s) for a visible dialog and gives it the keyboard.
focus_dialog() {
    local windows window
    windows=$(timeout 20 xdotool search --sync --onlyvisible --name "Select input file") || true
    window=$(printf '%s\n' "$windows" | sed -n 1p)
    [ -n "$window" ] || fail "no dialog appeared"
    sleep 0.3 # let GTK finish realising its widgets before keys arrive
    xdotool windowfocus --sync "$window"
}

# Cancels the dialog of call $1: the first Escape may only close the location field.
cancel_dialog() {
    for _ in 1 2 3; do
        xdotool key Escape
        sleep 1
        grep -q "^choice $1:" "$out" && return 0
    done
    fail "Escape did not close the dialog of call $1"
}

# Types a path into the dialog's location field and confirms it.
type_path() {
    xdotool key ctrl+l
    xdotool key ctrl+a
    xdotool type --delay 10 "$1"
    sleep 0.2
    xdotool key Return
}

# Answers each of the probe's five dialogs and compares its whole output.
drive_dialogs() {
    local probe=$1 work=$2
    out=$work/out.txt
    (cd "$work/start" && exec "$probe" --window 5 >"$out" 2>"$work/err.txt") &
    probe_pid=$!
    trap 'kill "$probe_pid" 2>/dev/null || true' EXIT
    local model=$work/models/model.obj

    focus_dialog
    type_path "$model"
    wait_for_answer 1

    focus_dialog # proposes call 1's choice: confirming it as it stands gives it back
    xdotool key Return
    wait_for_answer 2

    focus_dialog
    xdotool key Escape
    wait_for_answer 3

    focus_dialog # a missing file keeps the dialog open
    type_path "$work/models/missing.obj"
    sleep 1.5
    ! grep -q "^choice 4:" "$out" || fail "a missing file was accepted: $(cat "$out")"
    focus_dialog
    cancel_dialog 4

    focus_dialog # cancelling did not forget the last successful choice
    xdotool key Return
    wait_for_answer 5

    wait "$probe_pid" || fail "probe exit status $?"
    local expected="" k
    for k in 1 2 3 4 5; do
        case $k in
        1 | 2 | 5) expected+="choice $k: $model"$'\n' ;;
        *) expected+="choice $k: "$'\n' ;;
        esac
        expected+="cwd: $work/start"$'\n'"window: 1"$'\n'
    done
    [ "$(cat "$out")"$'\n' == "$expected" ] ||
        fail "probe output differs:$(printf '\n')$(cat "$out")$(printf '\n')expected:$(printf '\n')$expected"
    echo "dialogs: ok"
}

if [ "${1:-}" == "--under-x" ]; then
    drive_dialogs "$2" "$3"
    exit 0
fi

probe=$(cd "$(dirname "$1")" && pwd -P)/tests/chooser_probe
[ -x "$probe" ] || fail "probe not built: $probe"
work=$(cd "$(mktemp -d)" && pwd -P)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/start" "$work/models"
echo "v 0 0 0" >"$work/models/model.obj"

# No display: each call answers "" without waiting for anything.
headless=$(cd "$work/start" && env -u DISPLAY -u WAYLAND_DISPLAY timeout 20 "$probe" 2) ||
    fail "probe without a display: status $?"
[ "$headless" == "choice 1: "$'\n'"cwd: $work/start"$'\n'"choice 2: "$'\n'"cwd: $work/start" ] ||
    fail "without a display: $headless"
echo "no display: ok"

# GTK keeps its recent-files list and caches under these: keep them out of the user's home.
export XDG_DATA_HOME=$work/xdg/data XDG_CONFIG_HOME=$work/xdg/config XDG_CACHE_HOME=$work/xdg/cache
GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 timeout 180 xvfb-run -a bash "$0" --under-x "$probe" "$work"
