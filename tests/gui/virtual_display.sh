# Shared by the window tests: sourced after `folder` (a scratch folder) is set.
# fail MESSAGE: says what failed with the end of what the program and the X server printed.
fail() {
  echo "FAIL: $*"
  local name
  for name in norvane xvfb; do
    [ -s "$folder/$name.log" ] && { echo "-- $name printed:"; tail -n 20 "$folder/$name.log"; }
  done
  exit 1
}

# wait_for TENTHS COMMAND...: waits up to TENTHS tenths of a second for the command to succeed.
wait_for() {
  local tenths=$1; shift
  for ((i = 0; i < tenths; i++)); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}

# start_display: a private virtual X server on a display number nobody uses (it writes the
# number once it takes connections); sets xvfb_pid and DISPLAY for the xcb platform.
start_display() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$folder/display" >"$folder/xvfb.log" 2>&1 &
  xvfb_pid=$!
  number=
  read_number() { [ "$(wc -l <"$folder/display")" -ge 1 ] && number=$(tr -dc 0-9 <"$folder/display"); }
  wait_for 150 read_number || fail "Xvfb did not start"
  export DISPLAY=":$number"
  export QT_QPA_PLATFORM=xcb
  unset WAYLAND_DISPLAY
}

# find_main_window PID: sets `window` to the visible window titled Norvane (returns at
# once when the program has ended).
find_main_window() {
  kill -0 "$1" || return 0
  window=$(xdotool search --onlyvisible --name '^Norvane$' | head -1)
  [ -n "$window" ]
}

# now_ms: wall-clock milliseconds.
now_ms() { date +%s%3N; }
