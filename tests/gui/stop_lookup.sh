#!/usr/bin/env bash
# Usage: stop_lookup.sh <norvane executable> <screenshot folder>
# The window during a lookup that waits on a silent loopback server, in a network
# namespace of its own: one row per place a lookup can wait (a connect that is never
# answered, a whois server that never replies, an RDAP server that never replies or
# whose name never resolves, a system resolver whose name server never answers). Two
# seconds into each lookup the window still takes a key (Ctrl+C in the name field, read
# back through the clipboard), "Lancer", Enter and Ctrl+S do nothing, Échap stops the
# lookup, and the saved file holds "Recherche interrompue.". Then the update dialog,
# waiting on a silent update server, stops its check when closed. Last, Ctrl+Q
# mid-lookup ends the program with status 0.
# Times are printed; the bounds checked are those of a window that froze.
set -uo pipefail
program=$1
shots=$2
here=$(cd "$(dirname "$0")" && pwd)

for tool in Xvfb xdotool xclip import ip python3; do
  command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 77; }
done
[ "$(id -u)" -eq 0 ] || { echo "SKIP: the test's network namespace needs root"; exit 77; }

# First pass: make the namespace, with a resolver configuration that points at the silent
# name server, and run again inside it.
if [ -z "${NORVANE_STOP_NS:-}" ]; then
  ns="nv-stop-$$"
  ip netns add "$ns" || { echo "cannot create the namespace"; exit 1; }
  mkdir -p "/etc/netns/$ns"
  printf 'nameserver 127.0.0.53\n' >"/etc/netns/$ns/resolv.conf"
  update_host=$(sed -n 's/^#define NORVANE_UPDATE_HOST "\(.*\)"$/\1/p' \
    "$(dirname "$program")/../generated/norvane_config.h" 2>/dev/null)
  printf '127.0.0.1 localhost\n127.0.0.80 %s\n' "${update_host:-update.norvane.example}" >"/etc/netns/$ns/hosts"
  printf 'hosts: files dns\n' >"/etc/netns/$ns/nsswitch.conf"
  NORVANE_STOP_NS=$ns ip netns exec "$ns" bash "$0" "$@"
  status=$?
  ip netns pids "$ns" 2>/dev/null | xargs -r kill -9 2>/dev/null
  sleep 0.2
  ip netns del "$ns"
  rm -rf "/etc/netns/$ns"
  exit $status
fi

mkdir -p "$shots" && shots=$(cd "$shots" && pwd)
folder=$(mktemp -d)
# shellcheck source=virtual_display.sh
. "$here/virtual_display.sh"
xvfb_pid=
app_pid=
servers_pid=
cleanup() {
  for pid in $app_pid $servers_pid $xvfb_pid; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$folder"
}
trap cleanup EXIT

ip link set lo up
python3 "$here/silent_servers.py" "$folder/servers.log" >"$folder/servers.out" 2>&1 &
servers_pid=$!
wait_for 100 grep -q ready "$folder/servers.out" || fail "the silent servers did not start: $(cat "$folder/servers.out")"
start_display

cp "$program" "$folder/norvane" || fail "cannot copy the program"
printf '#1\r\ntest=127.0.0.43\r\nstall=127.0.0.45\r\n' >"$folder/whois.dat"
printf '#1\r\n[test]\r\nserver1=127.0.0.53\r\n' >"$folder/dns.dat"
printf '{"publication": "2025-01-01T00:00:00Z", "services": [[["rdaponly"], ["https://127.0.0.44/"]], [["rdapname"], ["https://rdap.silent.test/"]]]}\n' \
  >"$folder/rdap.json"
cd "$folder" || fail "no program folder"
LC_ALL=C LANG=C LANGUAGE= XDG_CONFIG_HOME="$folder/config" ./norvane >"$folder/norvane.log" 2>&1 &
app_pid=$!
window=
wait_for 150 find_main_window "$app_pid" && [ -n "$window" ] || fail "no window titled Norvane"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$window")"
menu=20

# The check boxes as a row wants them (both are checked at start).
whois_on=1
dns_on=1
set_checks() {
  [ "$whois_on" = "$1" ] || xdotool mousemove $((X + 360)) $((Y + menu + 18)) click 1
  [ "$dns_on" = "$2" ] || xdotool mousemove $((X + 360)) $((Y + menu + 40)) click 1
  whois_on=$1
  dns_on=$2
}

# start_lookup NAME: types the name and presses Enter; sets `started` (ms).
start_lookup() {
  xdotool windowfocus --sync "$window"
  xdotool mousemove $((X + 100)) $((Y + menu + 30)) click 1
  xdotool key ctrl+a
  xdotool type --delay 10 "$1"
  xdotool key Return
  started=$(now_ms)
}

accepts() { grep -c "^accept $1 " "$folder/servers.log"; }
save_dialog() { xdotool search --onlyvisible --name '^Enregistrer sous$' | head -1; }

# key_ms NAME: milliseconds from Ctrl+A Ctrl+C in the name field until the clipboard,
# which the window must answer, holds NAME (-1 when it never does).
key_ms() {
  local t out
  t=$(now_ms)
  xdotool key ctrl+a ctrl+c
  for _ in $(seq 50); do
    out=$(timeout 5 xclip -o -selection clipboard 2>/dev/null)
    [ "$out" = "$1" ] && { echo $(($(now_ms) - t)); return; }
  done
  echo -1
}

# save_ms: milliseconds from the first Ctrl+S until the save dialog shows (-1: never);
# Ctrl+S is typed again until it does.
save_ms() {
  local t
  t=$(now_ms)
  open_save() { xdotool key ctrl+s && sleep 0.02 && [ -n "$(save_dialog)" ]; }
  if wait_for 50 open_save; then echo $(($(now_ms) - t)); else echo -1; fi
}

# check_row NAME WHOIS DNS LOOKUP-NAME PORT (the server's port, "" when none accepts)
check_row() {
  local row=$1 name=$4 port=$5 before=0 key stop closed_ms="-" t
  set_checks "$2" "$3"
  [ -n "$port" ] && before=$(accepts "$port")
  start_lookup "$name"
  sleep "$(awk -v s="$started" -v n="$(now_ms)" 'BEGIN { d = 2 - (n - s) / 1000; print (d > 0 ? d : 0) }')"
  kill -0 "$app_pid" || fail "$row: the program ended"
  [ "$row" = read ] && import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$shots/lookup-running.png"

  # A key typed now is handled at once: Ctrl+C copies the name, which the clipboard gives back.
  key=$(key_ms "$name")
  [ "$key" -ge 0 ] || fail "$row: the window did not handle Ctrl+C during the lookup"

  # "Lancer", Enter and Ctrl+S start nothing.
  xdotool mousemove $((X + 260)) $((Y + menu + 30)) click 1
  xdotool key Return ctrl+s
  sleep 0.5
  [ -z "$(save_dialog)" ] || fail "$row: Ctrl+S opened the save dialog during the lookup"
  [ -z "$port" ] || [ "$(accepts "$port")" = $((before + 1)) ] || fail "$row: a second lookup started"

  # Échap stops it: the save dialog opens on the next Ctrl+S.
  t=$(now_ms)
  xdotool key Escape
  stop=$(save_ms)
  [ "$stop" -ge 0 ] || fail "$row: no save dialog after Échap"
  if [ -n "$port" ]; then
    closed=$(awk -v p="$port" '$1 == "closed" && $2 == p { c = $3 } END { print c }' "$folder/servers.log")
    [ -n "$closed" ] && closed_ms=$(awk -v c="$closed" -v t="$t" 'BEGIN { printf "%d", c * 1000 - t }')
  fi
  local dialog
  dialog=$(save_dialog)
  xdotool windowfocus --sync "$dialog"
  xdotool key ctrl+a
  xdotool type --delay 10 "$folder/$row.txt"
  xdotool key Return
  wait_for 50 test -s "$folder/$row.txt" || fail "$row: nothing saved"
  grep -q '^Recherche interrompue\.'$'\r''$' "$folder/$row.txt" ||
    fail "$row: the saved file lacks the note: $(cat -A "$folder/$row.txt" | head -20)"
  echo "$row: key handled in $key ms; Échap to save dialog $stop ms; socket closed $closed_ms ms after Échap"
  # A window that froze takes its whole 30 s bound; these leave room for a slow machine.
  [ "$key" -lt 1000 ] && [ "$stop" -lt 3000 ] || fail "$row: the window answered too late"
}

# The same measures on the idle window, to set the figures below against.
xdotool windowfocus --sync "$window"
xdotool mousemove $((X + 100)) $((Y + menu + 30)) click 1
xdotool type --delay 10 idle.test
echo "idle window: key handled in $(key_ms idle.test) ms; Ctrl+S to save dialog $(save_ms) ms"
xdotool windowfocus --sync "$(save_dialog)"
xdotool key Escape
wait_for 50 bash -c '[ -z "$(xdotool search --onlyvisible --name "^Enregistrer sous\$")" ]' || fail "the dialog did not close"

check_row connect 1 0 a.stall ""
check_row read 1 0 b.test 43
check_row rdap 1 0 c.rdaponly 443
check_row resolver 0 1 d.test ""
check_row rdap-name 1 0 f.rdapname ""

# The update dialog against the silent update server: closing it stops its check.
xdotool windowfocus --sync "$window"
xdotool key alt+b
sleep 0.4
xdotool key Return
find_update() { update=$(xdotool search --onlyvisible --name '^Mise .*jour$' | head -1); [ -n "$update" ]; }
wait_for 100 find_update || fail "no update dialog"
wait_for 50 bash -c "grep -q '^accept 80 ' '$folder/servers.log'" || fail "the update dialog asked nothing"
sleep 1
t=$(now_ms)
xdotool windowfocus --sync "$update"
xdotool key Escape
wait_for 100 bash -c '[ -z "$(xdotool search --onlyvisible --name "^Mise .*jour\$")" ]' || fail "the update dialog did not close"
wait_for 50 grep -q '^closed 80 ' "$folder/servers.log" || fail "closing the update dialog left its check running"
closed=$(awk '$1 == "closed" && $2 == 80 { print $3; exit }' "$folder/servers.log")
echo "update dialog: closed, its connection dropped $(awk -v c="$closed" -v t="$t" 'BEGIN { printf "%d", c * 1000 - t }') ms after Échap"
[ "$(grep -c '^accept 80 ' "$folder/servers.log")" = 1 ] || fail "a closed update dialog went on to its next check"

# Ctrl+Q ("Quitter") mid-lookup ends the program at once, with status 0.
set_checks 1 0
start_lookup e.test
sleep 2
t=$(now_ms)
xdotool key ctrl+q
wait_for 100 bash -c "! kill -0 $app_pid" || fail "Ctrl+Q did not end the program during a lookup"
quit_ms=$(($(now_ms) - t))
wait "$app_pid"
status=$?
app_pid=
echo "quit during a lookup: ended in ${quit_ms} ms, status $status"
[ "$status" = 0 ] || fail "program ended with status $status"
