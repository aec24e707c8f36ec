#!/usr/bin/env bash
# Lists, then stops, the processes a test run left behind: started after the run began
# (SINCE, a start time in clock ticks since boot as in /proc/PID/stat) and belonging to
# the project: a program built under TOP, or one whose arguments name a /tmp/norvane-*
# folder (the system servers the tests configure there). Exits 1 when there were any.
#   leftover-processes.sh SINCE TOP
set -uo pipefail
since=${1:?start time in ticks}; top=${2:?project folder}
self_and_parents=" "
p=$$
while [ "$p" -gt 1 ] 2>/dev/null; do
  self_and_parents+="$p "
  p=$(awk '{print $4}' "/proc/$p/stat" 2>/dev/null) || break
done

found=()
for dir in /proc/[0-9]*; do
  pid=${dir#/proc/}
  case $self_and_parents in *" $pid "*) continue ;; esac
  # Field 22 of stat is the start time; the command name (field 2) may hold blanks.
  start=$(sed 's/^.*) //' "$dir/stat" 2>/dev/null | awk '{print $20}') || continue
  [ -n "$start" ] && [ "$start" -ge "$since" ] || continue
  exe=$(readlink "$dir/exe" 2>/dev/null)
  cmd=$( (tr '\0' ' ' < "$dir/cmdline") 2>/dev/null)
  case "$exe|$cmd" in "$top/"*|*/tmp/norvane-*) found+=("$pid") ;; *) continue ;; esac
  echo "left running: $pid $cmd"
done
[ ${#found[@]} -eq 0 ] && exit 0
kill "${found[@]}" 2>/dev/null
sleep 1
kill -9 "${found[@]}" 2>/dev/null
exit 1
