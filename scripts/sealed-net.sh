#!/usr/bin/env bash
# Runs a command in a network namespace of its own that has nothing but a loopback
# interface and resolves names from a hosts file only, so that no test can send a byte
# beyond this machine's loopback, not even a DNS query. Needs root; without it the
# command runs as it is and NORVANE_SEALED_NET stays unset (tests that need the sealed
# network then skip).
set -uo pipefail
if [ "$(id -u)" -ne 0 ] || ! command -v ip >/dev/null || [ -n "${NORVANE_SEALED_NET:-}" ]; then
  exec "$@"
fi
ns="nv-sealed-$$"
cleanup() { ip netns del "$ns" 2>/dev/null; rm -rf "/etc/netns/$ns"; }
trap cleanup EXIT INT TERM
if ! ip netns add "$ns" 2>/dev/null; then
  echo "sealed-net: cannot create a network namespace; running without it" >&2
  trap - EXIT INT TERM
  exec "$@"
fi
mkdir -p "/etc/netns/$ns"
printf 'nameserver 127.0.0.1\n' > "/etc/netns/$ns/resolv.conf"
# Two names with an address that no route leads to: one beside an address that works.
printf '127.0.0.1 localhost\n::1 localhost ip6-localhost\nfd00:ffff::1 no-route.test\n127.0.0.1 no-route.test\nfd00:ffff::2 only-no-route.test\n' \
  > "/etc/netns/$ns/hosts"
printf 'hosts: files\nnetworks: files\n' > "/etc/netns/$ns/nsswitch.conf"
ip netns exec "$ns" ip link set lo up
NORVANE_SEALED_NET=1 ip netns exec "$ns" "$@"
