#!/usr/bin/env bash
# Runs every test of a build folder, then the short fuzzing runs; non-zero on any failure.
# The tests run inside a sealed network namespace when possible (scripts/sealed-net.sh).
set -uo pipefail
build=${1:-build}
top=$(cd "$(dirname "$0")/.." && pwd)
status=0
bash "$top/scripts/sealed-net.sh" ctest --test-dir "$build" --output-on-failure --timeout 900 -j2 || status=1
if [ -x "$top/scripts/fuzz.sh" ]; then
  bash "$top/scripts/fuzz.sh" smoke || status=1
fi
exit $status
