#!/usr/bin/env bash
# Installs the Debian packages that are missing:
#   setup.sh run    what building and running need (scripts/packages-run.txt)
#   setup.sh test   that, and what the tests, benchmarks and fuzzers use (scripts/packages.txt)
# Runs apt-get directly as root, through sudo otherwise.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
lists=("$here/packages-run.txt")
case "${1:-test}" in
  run) ;;
  test) lists+=("$here/packages.txt") ;;
  *) echo "usage: setup.sh [run|test]" >&2; exit 64 ;;
esac
mapfile -t wanted < <(cat "${lists[@]}" | grep -v -E '^\s*(#|$)' | sort -u)
missing=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
