#!/usr/bin/env bash
# Builds and runs every benchmark of bench/ (programs bench_*), inside the sealed network
# when possible so that nothing leaves loopback. Usage: scripts/bench.sh [build-folder]
# Benchmarks are measurements, not tests: they print figures and fail only when broken.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
cmake --build "$build" -j2 --target benchmarks || exit 1
status=0
for program in "$build"/bin/bench_*; do
  [ -x "$program" ] || continue
  echo "== $(basename "$program")"
  bash "$top/scripts/sealed-net.sh" "$program" || status=1
done
exit $status
