#!/usr/bin/env bash
# The bundled sample model (Mesh/sample.*) is exactly what scripts/make_sample.py writes. (The
# program loading it is checked by script.hostile_sessions, the sample session by
# script.batch_runs.)
#
# Usage: sample_model.sh PATH/TO/hollowvista   (not used)
source "$(dirname "$0")/lib/common.sh"
python3 scripts/make_sample.py "$work/Mesh" >/dev/null
for file in sample.obj sample.mtl sample.bmp; do
    cmp -s "$work/Mesh/$file" "Mesh/$file" ||
        fail "Mesh/$file differs from what scripts/make_sample.py writes: run it again"
done
echo "ok"
