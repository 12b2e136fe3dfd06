# Shared start of the script-level tests; source it with the test's arguments in place. It
# gives $program (the built program), $root (the source tree), fail MESSAGE, $work (a scratch
# folder removed when the test ends) and run. Without x=1 the test runs with no display; with
# x=1 set first, it is re-run once under its own virtual X server and also gets find_window
# and wait_until.
set -euo pipefail
program=$(realpath "$1")
root=$(pwd)
if [ -z "${x:-}" ]; then
    unset DISPLAY
elif [ "${2:-}" != "--under-x" ]; then
    # -noreset: the server must not restart when one program ends and before the next connects.
    exec timeout 120 xvfb-run -a -n $((100 + RANDOM % 400)) -s "-screen 0 1280x1024x24 -noreset" \
        bash "$0" "$program" --under-x
else
    # In the sanitizer build the leak check at exit is off here: Mesa's GLX driver is unloaded
    # when the windows close, and what it kept can no longer be told from a leak of the
    # program's own (batch runs and the test programs keep the check).
    export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
fi

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Runs the session script text $1 with --batch in the working directory, the further
# arguments after it, within a file size limit of $limit kB where set; leaves status, out,
# err.all and err (err.all without the start-up line) behind.
run() {
    printf '%s' "$1" >script.hvs
    shift
    status=0
    (
        if [ -n "${limit:-}" ]; then
            ulimit -f "$limit"
            trap '' XFSZ
        fi
        exec "$program" --batch script.hvs "$@" >out 2>err.all
    ) || status=$?
    grep -v '^GLUI version: ' err.all >err || true
}

# The first visible window whose name matches the pattern, waiting up to 20 s. The output is
# captured before it is cut: a reader that stops early would kill the writer with SIGPIPE.
find_window() {
    local ids
    ids=$(timeout 20 xdotool search --sync --onlyvisible --name "$1") || true
    printf '%s\n' "$ids" | sed -n 1p
}

# Polls the shell condition $2 every 0.1 s for up to $1 seconds; false if it never held.
wait_until() {
    local deadline=$((SECONDS + $1))
    until eval "$2"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

# Opens data/autosave.hvsession in a new batch process and exports: its export.obj and
# export.bmp must equal $1.obj and $1.bmp ($2 names them in the failure lines).
reopen_exports_as() {
    printf 'open-session data/autosave.hvsession\nexport\n' >reopen.hvs
    "$program" --batch reopen.hvs >out 2>err || fail "reopening failed: $(cat err)"
    grep -qx 'Session opened: data/autosave.hvsession' out || fail "not reopened: $(cat out)"
    cmp -s "$1.obj" data/export.obj || fail "$2 exports another model"
    cmp -s "$1.bmp" data/export.bmp || fail "$2 exports another snapshot"
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
