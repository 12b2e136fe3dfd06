#!/usr/bin/env bash
# Long sessions: 2,000 random commands (seed 1) on the bundled sample, and 2,000 more (seed 2)
# on the Wuson model of Debian's assimp test models, through the batch runner, every export
# and triangulation read back (see tests/tools/soak_session.cpp). In the
# sanitizer build this runs under AddressSanitizer and LeakSanitizer, which end the process
# with an error of their own on any fault or leak.
#
# Usage: soak_session.sh PATH/TO/hollowvista
set -euo pipefail
program=$(realpath "$1")
tool=$(dirname "$program")/tests/soak_session
root=$(pwd)
unset DISPLAY

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir data

# Runs one session: seed, model, texture. Prints its summary line.
soak() {
    local status=0
    "$tool" "$1" 2000 "$2" "$3" >/dev/null 2>err || status=$?
    local summary
    summary=$(grep '^soak_session: ' err || true)
    if [ "$status" -ne 0 ] || [ -z "$summary" ]; then
        echo "FAIL: soak session $1 on $2 ended with status $status" >&2
        grep -v '^\(Done!\|Mesh ID : \|SimpleMesh::\|ObjLoader::\)' err | tail -40 >&2
        exit 1
    fi
    echo "$summary"
}

soak 1 "$root/Mesh/sample.obj" "$root/Mesh/sample.bmp"
soak 2 /usr/share/assimp/models/OBJ/WusonOBJ.obj /usr/share/assimp/models/OBJ/drkwood2.jpg
