# Shared start of the script-level tests that need X. Source it (without arguments) after
# setting `program`: the calling script is re-run once under its own virtual X server; then
#   fail MESSAGE   ends the test with "FAIL: MESSAGE"
#   $work          a scratch folder removed when the test ends

if [ "${2:-}" != "--under-x" ]; then
    exec timeout 120 xvfb-run -a -n $((100 + RANDOM % 400)) -s "-screen 0 1280x1024x24" \
        bash "$0" "$program" --under-x
fi

# In the sanitizer build the leak check at exit is off here: Mesa's GLX driver is unloaded when
# the windows close, and what it kept can no longer be told from a leak of the program's own
# (batch runs and the test programs keep the check).
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

fail() {
    echo "FAIL: $*" >&2
    exit 1
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

# "xdotool getwindowgeometry" of a window, as one captured text.
geometry() {
    xdotool getwindowgeometry "$1"
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
