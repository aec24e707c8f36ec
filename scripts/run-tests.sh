#!/usr/bin/env bash
# Runs every test of a build folder; then builds everything but the window with
# AddressSanitizer and UndefinedBehaviorSanitizer and runs those tests again; then the
# short fuzzing runs; last, checks that nothing the tests started is still running.
# Non-zero on any failure. The tests run inside a sealed network
# namespace when possible (scripts/sealed-net.sh).
set -uo pipefail
build=${1:-build}
top=$(cd "$(dirname "$0")/.." && pwd)
sanitized=${NORVANE_SANITIZED_BUILD:-$top/build-asan}
status=0
# This run's start, so that the final check knows which processes are the run's own.
started=$(sed 's/^.*) //' /proc/$$/stat | awk '{print $20}')

run_ctest() { bash "$top/scripts/sealed-net.sh" ctest --test-dir "$1" --output-on-failure --timeout 900 -j2; }

run_tests() {
  local status=0
  run_ctest "$build" || status=1

  echo "== the same tests built with the address and undefined-behaviour sanitizers"
  if cmake -S "$top" -B "$sanitized" -DNORVANE_SANITIZE=ON -DNORVANE_WITH_UI=OFF \
         -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null &&
     cmake --build "$sanitized" -j2 > "$sanitized/build.log" 2>&1; then
    run_ctest "$sanitized" || status=1
  else
    echo "the sanitized build failed:"; tail -40 "$sanitized/build.log"; status=1
  fi

  if [ -x "$top/scripts/fuzz.sh" ]; then
    bash "$top/scripts/fuzz.sh" smoke || status=1
  fi
  return $status
}

# The run's work in a process group of its own: whatever it leaves running is told apart
# from other runs' servers and from programs the developer started, by that group alone.
set -m
run_tests &
run=$!
set +m
trap 'kill -TERM -- -$run 2>/dev/null' INT TERM HUP
wait $run || status=1
trap - INT TERM HUP
echo "== no server or program of the tests left running"
bash "$top/scripts/leftover-processes.sh" "$run" "$started" || status=1
exit $status
