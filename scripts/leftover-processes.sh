#!/usr/bin/env bash
# Lists, then stops, the processes a test run left behind: those still in the run's own
# process group (GROUP) that started after the run began (SINCE, a start time in clock
# ticks since boot as in /proc/PID/stat). Processes of other runs, of other users of the
# machine or a window the developer opened are in other groups and are left alone.
# Exits 1 when there were any.
#   leftover-processes.sh GROUP SINCE
set -uo pipefail
group=${1:?process group of the run}; since=${2:?start time in ticks}

# Processes of the group still alive; an exited one not yet reaped (state Z or X) is not
# running and is left out.
scan() {
  found=()
  local dir pid state pgid start
  for dir in /proc/[0-9]*; do
    pid=${dir#/proc/}
    [ "$pid" != "$$" ] || continue
    # After the command name (field 2, which may hold blanks): field 3 is the state,
    # field 5 the process group, field 22 the start time.
    read -r state pgid start < <(sed 's/^.*) //' "$dir/stat" 2>/dev/null | awk '{print $1, $3, $20}') || continue
    [ "$pgid" = "$group" ] && [ -n "$start" ] && [ "$start" -ge "$since" ] || continue
    case $state in Z|X) continue ;; esac
    found+=("$pid")
  done
}

# A server a test has just stopped may take a moment to end: look again for a few seconds.
for _ in 1 2 3 4 5 6 7 8 9 10; do
  scan
  [ ${#found[@]} -eq 0 ] && exit 0
  sleep 0.5
done
for pid in "${found[@]}"; do
  echo "left running: $pid $( (tr '\0' ' ' < "/proc/$pid/cmdline") 2>/dev/null)"
done
[ ${#found[@]} -eq 0 ] && exit 0
kill "${found[@]}" 2>/dev/null
sleep 1
kill -9 "${found[@]}" 2>/dev/null
exit 1
