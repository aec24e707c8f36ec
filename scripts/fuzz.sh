#!/usr/bin/env bash
# Builds the libFuzzer programs with clang (build-fuzz/) and runs each over a copy of its
# seed corpus (fuzz/corpus/<name>/).
#   fuzz.sh smoke   a fixed number of runs per program; part of `make test`
#   fuzz.sh long    no limit: runs until stopped or a fault is found (`make fuzz`)
# A fault leaves its input in build-fuzz/artifacts/ and makes the script fail.
set -euo pipefail
mode=${1:-smoke}
top=$(cd "$(dirname "$0")/.." && pwd)
build=${NORVANE_FUZZ_BUILD:-$top/build-fuzz}
smoke_runs=${NORVANE_FUZZ_RUNS:-20000}

case $mode in
  smoke|long) ;;
  *) echo "usage: $0 smoke|long" >&2; exit 2 ;;
esac
if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang++ is missing (scripts/setup.sh installs it)" >&2; exit 1
fi

CC=clang CXX=clang++ cmake -S "$top" -B "$build" -DNORVANE_FUZZ=ON -DNORVANE_WITH_UI=OFF \
  -DNORVANE_WITH_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target fuzzers >/dev/null

mkdir -p "$build/artifacts"
status=0
shopt -s nullglob
for program in "$build"/bin/fuzz_*; do
  name=${program##*/fuzz_}
  if [ "$mode" = long ]; then
    # Long runs keep what they learn beside the build, never in the tree.
    corpus="$build/corpus/$name"
    mkdir -p "$corpus"
    cp -n "$top/fuzz/corpus/$name/"* "$corpus/" 2>/dev/null || true
    limits=()
  else
    corpus=$(mktemp -d)
    cp "$top/fuzz/corpus/$name/"* "$corpus/" 2>/dev/null || true
    limits=(-runs="$smoke_runs")
  fi
  echo "fuzz: $name ($mode)"
  if ! "$program" "${limits[@]}" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="$build/artifacts/$name-" -print_final_stats=1 "$corpus" \
       > "$build/$name-$mode.log" 2>&1; then
    echo "fuzz: $name FAILED, see $build/$name-$mode.log and $build/artifacts/" >&2
    tail -30 "$build/$name-$mode.log" >&2
    status=1
  else
    grep -E '^(Done|#[0-9]+.*DONE)' "$build/$name-$mode.log" | tail -1
  fi
  [ "$mode" = smoke ] && rm -rf "$corpus"
done
exit $status
