#!/usr/bin/env bash
# A long session: 2,000 random commands (seed 1) on the bundled sample through the batch
# runner, every export and triangulation read back (see tests/tools/soak_session.cpp). In the
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
status=0
"$tool" 1 2000 "$root/Mesh/sample.obj" "$root/Mesh/sample.bmp" >/dev/null 2>err || status=$?
summary=$(grep '^soak_session: ' err || true)
if [ "$status" -ne 0 ] || [ -z "$summary" ]; then
    echo "FAIL: soak session ended with status $status" >&2
    grep -v '^\(Done!\|Mesh ID : \|SimpleMesh::\|ObjLoader::\)' err | tail -40 >&2
    exit 1
fi
echo "$summary"
