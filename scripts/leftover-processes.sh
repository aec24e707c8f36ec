#!/usr/bin/env bash
# Lists, then stops, the processes a test run left behind: those still in the run's own
# process group (GROUP) that started after the run began (SINCE, a start time in clock
# ticks since boot as in /proc/PID/stat). Processes of other runs, of other users of the
# machine or a window the developer opened are in other groups and are left alone.
# Exits 1 when there were any.
#   leftover-processes.sh GROUP SINCE
set -uo pipefail
group=${1:?process group of the run}; since=${2:?start time in ticks}

found=()
for dir in /proc/[0-9]*; do
  pid=${dir#/proc/}
  [ "$pid" != "$$" ] || continue
  # After the command name (field 2, which may hold blanks): field 5 is the process
  # group, field 22 the start time.
  read -r pgid start < <(sed 's/^.*) //' "$dir/stat" 2>/dev/null | awk '{print $3, $20}') || continue
  [ "$pgid" = "$group" ] && [ -n "$start" ] && [ "$start" -ge "$since" ] || continue
  found+=("$pid")
  echo "left running: $pid $( (tr '\0' ' ' < "$dir/cmdline") 2>/dev/null)"
done
[ ${#found[@]} -eq 0 ] && exit 0
kill "${found[@]}" 2>/dev/null
sleep 1
kill -9 "${found[@]}" 2>/dev/null
exit 1
