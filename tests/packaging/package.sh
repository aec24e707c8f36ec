#!/usr/bin/env bash
# The Debian packages, built from a build folder and checked as a user would get them.
#
#   package.sh BUILD_DIR   builds the packages with cpack, checks them with the desktop,
#                          AppStream and Debian validators, then runs the extracted programs
#
# It calls itself for the two runs of the extracted programs:
#   package.sh window ROOT USER_DIR   under a virtual X server (xvfb-run)
#   package.sh cli ROOT USER_DIR      inside the fake Internet (tests/e2e/fake-internet.sh)
# Both run with HOME and XDG_DATA_HOME in USER_DIR, as a user who never ran Norvane.
#
# Exit 0 when every check passes, 1 otherwise, 77 (skipped, with the reason) when not
# root or when a tool is missing.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Waits up to $1 tenths of a second for the command that follows to succeed.
wait_for() {
  local tenths=$1; shift
  for ((i = 0; i < tenths; i++)); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}

# A user who never ran Norvane: nothing in HOME, data under XDG_DATA_HOME.
new_user() {
  export HOME="$1/home" XDG_DATA_HOME="$1/data"
  mkdir -p "$HOME" "$XDG_DATA_HOME"
}

# The per-user folder holds copies of the shipped data files.
check_seeded() {
  local name
  for name in whois.dat dns.dat rdap.json rdap-local.json ipv4.json ipv6.json asn.json; do
    cmp -s "$1/usr/share/norvane/$name" "$XDG_DATA_HOME/norvane/$name" ||
      fail "$2: $XDG_DATA_HOME/norvane/$name is not the shipped $name"
  done
}

window_run() {
  local root=$1 app window
  new_user "$2"
  QT_QPA_PLATFORM=xcb "$root/usr/bin/norvane" > "$2/window.log" 2>&1 &
  app=$!
  find_window() { window=$(xdotool search --onlyvisible --name '^Norvane$' | head -1); [ -n "$window" ]; }
  wait_for 150 find_window || { fail "the extracted norvane shows no window"; cat "$2/window.log"; }
  check_seeded "$root" "norvane"
  kill "$app" 2>/dev/null
  wait "$app" 2>/dev/null
  return $((failures > 0))
}

cli_run() {
  local root=$1 cli="$1/usr/bin/norvane-cli" expected out status tree
  new_user "$2"
  # The shipped catalogue knows no .test: the name is refused, and the per-user folder
  # now holds the shipped files.
  out=$("$cli" lookup --dns-only norvane.test 2>&1)
  status=$?
  [ "$status|$out" = "1|L'extention .test n'est pas supportée!" ] || fail "first lookup: $status|$out"
  check_seeded "$root" "norvane-cli"

  # With the fake Internet's data files in the per-user folder, the DNS steps run there.
  # Stamped later than the shipped ones, or the next start takes them for an older copy.
  cp "$FAKE_INTERNET_DIR/data/whois.dat" "$FAKE_INTERNET_DIR/data/dns.dat" "$XDG_DATA_HOME/norvane/"
  sed -i '1s/^#[0-9]*/#29991231/' "$XDG_DATA_HOME/norvane/whois.dat" "$XDG_DATA_HOME/norvane/dns.dat"
  expected=$(iconv -f WINDOWS-1252 -t UTF-8 "$here/../e2e/expected/norvane.test.txt" | sed 's/\r$//'; echo .)
  tree="Réponse du DNS par défaut${expected#*Réponse du DNS par défaut}"
  out=$("$cli" lookup --dns-only norvane.test; echo ".$?")
  [ "$out" = "${tree%.}.0" ] || { fail "lookup --dns-only in the fake Internet"; diff <(echo "${tree%.}.0") <(echo "$out") | head -20; }
  return $((failures > 0))
}

case "${1:?usage: package.sh BUILD_DIR}" in
  window) window_run "$2" "$3"; exit ;;
  cli) cli_run "$2" "$3"; exit ;;
esac

build=$(cd "$1" && pwd)
if [ "$(id -u)" -ne 0 ]; then
  echo "SKIP: the package checks need root (the fake Internet's network namespace)"; exit 77
fi
for tool in cpack dpkg-deb dpkg-shlibdeps file lintian desktop-file-validate appstreamcli xmllint xvfb-run xdotool; do
  command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 77; }
done

scratch=$(mktemp -d /tmp/norvane-package-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
chmod 755 "$scratch"

cpack -G DEB -B "$scratch/out" --config "$build/CPackConfig.cmake" > "$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log"; fail "cpack"; exit 1; }
desktop_deb=$(ls "$scratch"/out/norvane_*.deb 2>/dev/null)
server_deb=$(ls "$scratch"/out/norvane-update-server_*.deb 2>/dev/null)
[ -f "$desktop_deb" ] && [ -f "$server_deb" ] || { ls "$scratch/out"; fail "two packages expected"; exit 1; }

# Control data: the dependencies are computed from the binaries.
[ "$(dpkg-deb -f "$desktop_deb" Package Section)" = "Package: norvane
Section: net" ] || fail "package name and section: $(dpkg-deb -f "$desktop_deb" Package Section)"
dpkg-deb -f "$desktop_deb" Depends | grep -q 'libqt6widgets6 (>=' || fail "no computed dependency on the toolkit"
dpkg-deb -f "$desktop_deb" Depends | grep -q 'qt6-translations-l10n' || fail "no dependency on the toolkit's translations"
desktop_files=$(dpkg-deb -c "$desktop_deb")
server_files=$(dpkg-deb -c "$server_deb")
grep -q 'norvane-update-server' <<<"$desktop_files" && fail "the desktop package holds the update server"
grep -q '/usr/bin/norvane-update-server$' <<<"$server_files" || fail "the server package lacks its program"

root="$scratch/root"
dpkg-deb -x "$desktop_deb" "$root" || { fail "dpkg-deb -x"; exit 1; }

for entry in "$root"/usr/share/applications/*.desktop; do
  desktop-file-validate "$entry" || fail "desktop-file-validate $entry"
  # The entry starts a program of the package and names an icon of the package.
  [ -x "$root/usr/bin/$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")" ] || fail "Exec of $entry is no program of the package"
  icon="$root/usr/share/icons/hicolor/scalable/apps/$(sed -n 's/^Icon=//p' "$entry").svg"
  [ -f "$icon" ] || fail "Icon of $entry is not in the package"
  # Docks match the window (WM_CLASS "norvane") to its entry by this key.
  grep -qx 'StartupWMClass=norvane' "$entry" || fail "$entry lacks StartupWMClass=norvane"
done
[ -n "${icon:-}" ] || fail "no desktop entry"

# The metainfo file, and its launchable against the desktop entry beside it.
appstreamcli validate-tree --no-net "$root" || fail "appstreamcli validate-tree"

# A valid SVG: well-formed XML whose root is an <svg> of the SVG namespace with a drawing area.
if [ -f "${icon:-}" ]; then
  svg=$(xmllint --xpath 'concat(namespace-uri(/*), "|", local-name(/*), "|", /*/@viewBox)' "$icon" 2>&1)
  [[ "$svg" =~ ^http://www\.w3\.org/2000/svg\|svg\|[0-9.]+\ [0-9.]+\ [1-9][0-9.]*\ [1-9][0-9.]*$ ]] ||
    fail "the icon is no valid SVG: $svg"
fi

# No lintian errors; its warnings are shown.
lintian --tag-display-limit 0 "$desktop_deb" > "$scratch/lintian" 2>&1
grep -E '^[EWI]: ' "$scratch/lintian"
grep -q '^E: ' "$scratch/lintian" && fail "lintian reports errors"
grep -q 'no-english-manual-page' "$scratch/lintian" && fail "lintian misses the English manual pages"
# The English and French pages of one program name the same options.
for page in norvane norvane-cli; do
  options() { zcat "$root/usr/share/man/$1/$page.1.gz" | grep -o '\\-\\-[a-z-]*' | sort -u; }
  [ "$(options man1)" = "$(options fr/man1)" ] && [ -n "$(options man1)" ] || fail "$page: the pages' options differ"
done

# The extracted programs, each as a new user.
xvfb-run -a -s '-screen 0 1024x768x24 -nolisten tcp' bash "$0" window "$root" "$scratch/window-user" ||
  fail "the extracted window"
bash "$here/../e2e/fake-internet.sh" "$build/bin" -- bash "$0" cli "$root" "$scratch/cli-user" ||
  fail "the extracted norvane-cli in the fake Internet"

[ "$failures" -eq 0 ] || exit 1
echo "checked $(basename "$desktop_deb") and $(basename "$server_deb")"
