#!/usr/bin/env bash
# Builds the libFuzzer programs with clang (build-fuzz/) and runs each over a copy of its
# seed corpus and past findings (fuzz/corpus/<name>/, fuzz/regressions/<name>/).
#   fuzz.sh smoke            a fixed number of runs per program, one after the other;
#                            part of `make test`
#   fuzz.sh long [SECONDS]   every program at once, at the lowest priority, for SECONDS
#                            each (default 3600; `make fuzz`); what they learn stays in
#                            build-fuzz/corpus/
# Each program's final statistics are printed at its end. A fault leaves its input in
# build-fuzz/artifacts/ and makes the script fail; keep it in fuzz/regressions/<name>/,
# which the tests replay.
set -uo pipefail
mode=${1:-smoke}
seconds=${2:-3600}
top=$(cd "$(dirname "$0")/.." && pwd)
build=${NORVANE_FUZZ_BUILD:-$top/build-fuzz}
smoke_runs=${NORVANE_FUZZ_RUNS:-20000}

case $mode in
  smoke|long) ;;
  *) echo "usage: $0 smoke | $0 long [SECONDS]" >&2; exit 2 ;;
esac
if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang++ is missing (scripts/setup.sh installs it)" >&2; exit 1
fi

mkdir -p "$build/artifacts"
if ! { CC=clang CXX=clang++ cmake -S "$top" -B "$build" -DNORVANE_FUZZ=ON -DNORVANE_WITH_UI=OFF \
         -DNORVANE_WITH_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
       cmake --build "$build" -j2 --target fuzzers; } > "$build/build.log" 2>&1; then
  echo "fuzz: the fuzzers did not build:" >&2
  tail -40 "$build/build.log" >&2
  exit 1
fi

# run NAME PROGRAM: one program over its corpus; the log goes to build-fuzz/NAME-MODE.log.
run() {
  local name=$1 program=$2 corpus limits=()
  if [ "$mode" = long ]; then
    corpus="$build/corpus/$name"
    mkdir -p "$corpus"
    cp -n "$top/fuzz/corpus/$name/"* "$top/fuzz/regressions/$name/"* "$corpus/" 2>/dev/null
    limits=(-max_total_time="$seconds")
  else
    corpus=$(mktemp -d)
    cp "$top/fuzz/corpus/$name/"* "$top/fuzz/regressions/$name/"* "$corpus/" 2>/dev/null
    limits=(-runs="$smoke_runs")
  fi
  local log="$build/$name-$mode.log" status=0 niceness=
  [ "$mode" = long ] && niceness="nice -n 19"
  $niceness "$program" "${limits[@]}" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$build/artifacts/$name-" -print_final_stats=1 "$corpus" > "$log" 2>&1 || status=1
  [ "$mode" = smoke ] && rm -rf "$corpus"
  if [ $status -ne 0 ]; then
    echo "fuzz: $name FAILED, see $log and $build/artifacts/" >&2
    tail -30 "$log" >&2
  else
    echo "fuzz: $name: $(grep -E '^Done ' "$log" | tail -1) $(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1 | cut -f2)"
  fi
  return $status
}

status=0
pids=()
shopt -s nullglob
for program in "$build"/bin/fuzz_*; do
  name=${program##*/fuzz_}
  if [ "$mode" = long ]; then
    echo "fuzz: $name runs for $seconds s (log: $build/$name-long.log)"
    run "$name" "$program" &
    pids+=($!)
  else
    run "$name" "$program" || status=1
  fi
done
for pid in "${pids[@]}"; do wait "$pid" || status=1; done
exit $status
