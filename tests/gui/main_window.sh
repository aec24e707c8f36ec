#!/usr/bin/env bash
# Usage: main_window.sh <norvane executable> <screenshot folder>
# Starts the program on a private virtual X server under the C locale, waits for the
# window "Norvane", checks its size, its class and its smallest size, keeps screenshots of
# both pages, of the message box that a refused name brings up, of the save dialog and its
# overwrite question (in French), and of the window at its smallest size, then quits
# through the menu and expects the program to end by itself. First, "--help" and
# "--version" answer without any display.
set -uo pipefail
program=$1
shots=$2

for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 77; }
done
mkdir -p "$shots"

folder=
# fail, wait_for, start_display, find_main_window
. "$(dirname "$0")/virtual_display.sh"

for option in --help --version; do
  answer=$(env -u DISPLAY -u WAYLAND_DISPLAY "$program" "$option" 2>&1)
  status=$?
  [ "$status" = 0 ] && [[ "$answer" == norvane* ]] || fail "norvane $option without a display: $status $answer"
done

xvfb_pid=
app_pid=
folder=$(mktemp -d)
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$folder"
}
trap cleanup EXIT

start_display

# The program reads its catalogue beside itself: a copy runs from a folder of its own,
# with a catalogue that lists no extension of the name typed below, so that nothing is
# ever asked of a server.
cp "$program" "$folder/norvane" || fail "cannot copy the program"
printf '#1\r\nfr=127.0.0.1\r\n' >"$folder/whois.dat"
cd "$folder" || fail "no program folder"
LC_ALL=C LANG=C LANGUAGE= XDG_CONFIG_HOME="$folder/config" ./norvane >"$folder/norvane.log" 2>&1 &
app_pid=$!

window=
wait_for 150 find_main_window "$app_pid" && [ -n "$window" ] || fail "no window titled Norvane"
sleep 0.5  # let the first paint finish

eval "$(xdotool getwindowgeometry --shell "$window")"
# No window manager runs here, so the window has no frame: its outer size is its own.
[ "$WIDTH" = 696 ] && [ "$HEIGHT" = 480 ] || fail "window is ${WIDTH}x${HEIGHT}, not 696x480"
crop="${WIDTH}x${HEIGHT}+${X}+${Y}"
import -window root -crop "$crop" +repage "$shots/main-window.png" || fail "no screenshot"

# The "DNS" tab: its caption starts 70 pixels into the page control, below the menu and
# the 49-pixel top panel.
menu_and_panel=$((49 + 20))
xdotool mousemove $((X + 80)) $((Y + menu_and_panel + 10)) click 1
sleep 0.5
import -window root -crop "$crop" +repage "$shots/main-window-dns.png"

# A refused name: Enter in the name field brings up the "Erreur" box.
xdotool mousemove $((X + 100)) $((Y + 20 + 30)) click 1
xdotool type --delay 20 'EXAMPLE.XYZ'
xdotool key Return
box=
find_box() { box=$(xdotool search --onlyvisible --name '^Erreur$' | head -1); [ -n "$box" ]; }
wait_for 100 find_box || fail "no Erreur box after Enter"
sleep 0.3
import -window root "$shots/error-box.png"
# Without a window manager nobody gives the box the keyboard: do it by hand.
xdotool windowfocus "$box"
xdotool key Return
wait_for 50 bash -c "! xdotool search --onlyvisible --name '^Erreur\$' | grep -q ." || fail "Erreur box did not close"

# ? > A propos de: the About box, closed by its "Fermer" button.
xdotool mousemove $((X + 165)) $((Y + 8)) click 1
sleep 0.4
xdotool key Down Down Return
about=
find_about() { about=$(xdotool search --onlyvisible --name '^Norvane$' | grep -v "^$window\$" | head -1); [ -n "$about" ]; }
wait_for 100 find_about || fail "no About box"
sleep 0.3
eval "$(xdotool getwindowgeometry --shell --prefix ABOUT_ "$about")"
[ "$ABOUT_WIDTH" = 392 ] && [ "$ABOUT_HEIGHT" = 241 ] || fail "About box is ${ABOUT_WIDTH}x${ABOUT_HEIGHT}"
import -window root -crop "${ABOUT_WIDTH}x${ABOUT_HEIGHT}+${ABOUT_X}+${ABOUT_Y}" +repage "$shots/about-box.png"
xdotool windowfocus "$about"
xdotool key Return
wait_for 50 bash -c "! xdotool search --onlyvisible --name '^Norvane\$' | grep -v '^$window\$' | grep -q ." ||
  fail "the About box did not close"

# F1, with no browser on this computer: a box says so and where the help file is.
cp "$(dirname "$program")/nvHelp.html" "$folder/" || fail "no help file beside the program"
xdotool windowfocus --sync "$window"
xdotool key F1
wait_for 100 find_about || fail "no box after F1 without a browser"
sleep 0.3
import -window root "$shots/help-not-opened.png"
xdotool windowfocus --sync "$about"
xdotool key Return
wait_for 50 bash -c "! xdotool search --onlyvisible --name '^Norvane\$' | grep -v '^$window\$' | grep -q ." ||
  fail "the help box did not close"

# The window names itself to the desktop as its entry expects (StartupWMClass=norvane).
xprop -id "$window" WM_CLASS | grep -q '= "norvane",' || fail "WM_CLASS: $(xprop -id "$window" WM_CLASS)"

# Ctrl+S: the save dialog, in French under the C locale. A name that exists brings the
# overwrite question, which "No" (Escape) answers; Escape then closes the dialog.
: >"$folder/existant.txt"
xdotool windowfocus --sync "$window"
xdotool key ctrl+s
dialog=
find_dialog() { dialog=$(xdotool search --onlyvisible --name '^Enregistrer sous$' | head -1); [ -n "$dialog" ]; }
wait_for 100 find_dialog || fail "no dialog \"Enregistrer sous\" after Ctrl+S"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell --prefix DIALOG_ "$dialog")"
import -window root -crop "${DIALOG_WIDTH}x${DIALOG_HEIGHT}+${DIALOG_X}+${DIALOG_Y}" +repage "$shots/save-dialog.png"
xdotool windowfocus --sync "$dialog"
xdotool key ctrl+a
xdotool type --delay 10 "$folder/existant.txt"
xdotool key Return
question=
find_question() {
  question=$(xdotool search --onlyvisible --name '^Enregistrer sous$' | grep -v "^$dialog\$" | head -1)
  [ -n "$question" ]
}
wait_for 100 find_question || fail "no overwrite question"
sleep 0.3
import -window root "$shots/overwrite-question.png"
xdotool windowfocus --sync "$question"
xdotool key Escape
wait_for 50 bash -c "! xdotool search --onlyvisible --name '^Enregistrer sous\$' | grep -v '^$dialog\$' | grep -q ." ||
  fail "the overwrite question did not close"
xdotool windowfocus --sync "$dialog"
xdotool key Escape
wait_for 50 bash -c "! xdotool search --onlyvisible --name '^Enregistrer sous\$' | grep -q ." || fail "the dialog did not close"
[ -s "$folder/existant.txt" ] && fail "answering No replaced the file"

# The smallest size the window asks of the window manager, and the window at that size.
hints=$(xprop -id "$window" WM_NORMAL_HINTS)
read -r min_w min_h < <(sed -n 's/.*program specified minimum size: \([0-9]*\) by \([0-9]*\).*/\1 \2/p' <<<"$hints")
[ -n "$min_w" ] && [ "$min_w" -lt 696 ] && [ "$min_h" -lt 480 ] || fail "no minimum size below 696x480: $hints"
xdotool windowsize "$window" "$min_w" "$min_h"
sleep 0.5
import -window root -crop "${min_w}x${min_h}+${X}+${Y}" +repage "$shots/main-window-minimum.png"

# Fichier > Quitter ends the program.
xdotool mousemove $((X + 20)) $((Y + 8)) click 1
sleep 0.4
import -window root -crop "${min_w}x140+${X}+${Y}" +repage "$shots/file-menu.png"
xdotool key Down Down Down Return
wait_for 100 bash -c "! kill -0 $app_pid" || fail "Quitter did not end the program"
wait "$app_pid"
status=$?
app_pid=
[ "$status" = 0 ] || fail "program ended with status $status"
echo "screenshots in $shots"
