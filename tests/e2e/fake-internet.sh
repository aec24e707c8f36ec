#!/usr/bin/env bash
# The fake Internet: a network namespace of its own with a DNS server, a whois server and
# (when built) the update server, all on loopback addresses inside it, and a hosts file
# and resolver configuration that point there. Runs one command inside it and tears
# everything down afterwards, also when the command fails.
#
#   fake-internet.sh BIN_DIR -- COMMAND [ARGS...]
#
# BIN_DIR holds the built programs (fake_whois_server, norvane-update-server when built).
# Inside, the command sees NORVANE_FAKE_INTERNET=1, NORVANE_SEALED_NET=1,
# FAKE_INTERNET_DIR (a scratch folder: data/ with whois.dat/dns.dat for the test domain,
# update/ with the copies the update server publishes, and the servers' logs such as
# update.log), FAKE_INTERNET_HOSTS (the namespace's hosts file, which a test may
# rewrite in place for a while, e.g. to send the update host to a server of its own) and
# FAKE_INTERNET_RESOLV (its resolver configuration, IPv4 only; a test may rewrite it in
# place, e.g. with FAKE_INTERNET_RESOLV_V6_FIRST, whose first name server is IPv6).
#
# When nginx and openssl are there, an RDAP registry over HTTPS (rdap/rdap-registry.sh) on
# 127.0.0.44, with two regional registries for addresses and AS numbers beside it, and the
# command sees SSL_CERT_FILE naming the test authority it trusts. The hosts file names
# 45.1.2.3, an address of one of their blocks, hote.nord.test (nothing is ever sent to it).
#
# Addresses: 127.0.0.53 DNS (port 53), 127.0.0.43 whois (port 43), 127.0.0.80 update (port 80),
# 127.0.0.81 free for a test's own scripted update server (port 80), 127.0.0.54 the scripted
# name server of minimal.norvane.test (port 53, when fake_dns_server is built).
# IPv6, also on lo: fd00:6e76::53 and ::1 DNS, fd00:6e76::43 a whois server reachable over
# IPv6 only, fd00:6e76::42 an address where nothing listens (whois.dual.example has it
# first, then ::43). The zone dual.example has IPv4 and IPv6 addresses with reverse entries.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bin=${1:?bin dir}; shift
[ "${1:-}" = "--" ] && shift

if [ "$(id -u)" -ne 0 ]; then
  echo "SKIP: the fake Internet needs root (network namespaces)"; exit 77
fi
for tool in ip named; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
done

ns="nv-fake-$$"
work=$(mktemp -d /tmp/norvane-fake-XXXXXX)
chmod 755 "$work"
pids=()
# Every process still in the namespace is ours: the servers started below and whatever
# the command left behind. They are stopped before the namespace goes, or they would
# live on in a namespace nobody can reach.
cleanup() {
  local left
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  ip netns pids "$ns" 2>/dev/null | xargs -r kill 2>/dev/null
  for _ in $(seq 50); do
    left=$(ip netns pids "$ns" 2>/dev/null)
    [ -z "$left" ] && break
    sleep 0.1
  done
  [ -n "$left" ] && echo "$left" | xargs -r kill -9 2>/dev/null
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null; done
  ip netns del "$ns" 2>/dev/null
  rm -rf "/etc/netns/$ns" "$work"
}
trap cleanup EXIT
trap 'exit 130' INT HUP
trap 'exit 143' TERM

update_host=$(sed -n 's/^#define NORVANE_UPDATE_HOST "\(.*\)"$/\1/p' "$bin/../generated/norvane_config.h" 2>/dev/null)
update_host=${update_host:-update.norvane.example}

ip netns add "$ns" || { echo "cannot create the namespace"; exit 1; }
mkdir -p "/etc/netns/$ns"
printf 'nameserver 127.0.0.53\n' > "/etc/netns/$ns/resolv.conf"
cat > "/etc/netns/$ns/hosts" <<HOSTS
127.0.0.1 localhost.fake loopback-name
127.0.0.43 whois.nic.test
127.0.0.80 $update_host
127.0.0.44 rdap.nic.test rdap.registrar.test rdap.other.test rdap.rogue.test rdap.nord.test rdap.sud.test
45.1.2.3 hote.nord.test
HOSTS
printf 'hosts: files dns\nnetworks: files\n' > "/etc/netns/$ns/nsswitch.conf"
# Servers are started with `ip netns exec` itself in the background (it becomes the
# server), so that $! is the server's own process id.
inside() { ip netns exec "$ns" "$@"; }
inside ip link set lo up
for a in 127.0.0.53 127.0.0.54 127.0.0.43 127.0.0.44 127.0.0.80 127.0.0.81; do inside ip addr add "$a/8" dev lo 2>/dev/null; done
for a in fd00:6e76::53 fd00:6e76::43 fd00:6e76::42; do inside ip -6 addr add "$a/128" dev lo nodad; done

# DNS: an authoritative server for the test zones, no recursion.
mkdir -p "$work/named"
cp "$here/zones/"*.zone "$work/named/"
cat > "$work/named/named.conf" <<CONF
options {
  directory "$work/named";
  pid-file "$work/named/named.pid";
  listen-on port 53 { 127.0.0.53; };
  listen-on-v6 port 53 { fd00:6e76::53; ::1; };
  recursion no;
  dnssec-validation no;
  notify no;
  // Records of a set always in the same order, so that saved results can be compared byte for byte.
  rrset-order { order none; };
};
zone "norvane.test" { type primary; file "norvane.test.zone"; };
zone "1.0.127.in-addr.arpa" { type primary; file "reverse.zone"; };
zone "minimal.norvane.test" { type primary; file "minimal.norvane.test.zone"; };
zone "xn--caf-dma.xn--zckzah" { type primary; file "xn--caf-dma.xn--zckzah.zone"; };
zone "2.0.127.in-addr.arpa" { type primary; file "idn-reverse.zone"; };
zone "dual.example" { type primary; file "dual.example.zone"; };
zone "3.0.127.in-addr.arpa" { type primary; file "dual-reverse.zone"; };
zone "0.0.0.0.0.0.0.0.6.7.e.6.0.0.d.f.ip6.arpa" { type primary; file "dual-reverse6.zone"; };
CONF
ip netns exec "$ns" named -c "$work/named/named.conf" -u root -g > "$work/named/log" 2>&1 &
pids+=($!)

# The scripted name server of minimal.norvane.test.
if [ -x "$bin/fake_dns_server" ]; then
  ip netns exec "$ns" "$bin/fake_dns_server" --address 127.0.0.54 --port 53 \
    --answers "$here/scripted/minimal.norvane.test.answers" > "$work/scripted-dns.log" 2>&1 &
  pids+=($!)
  scripted_dns=1
fi

# Whois: replies from files named after the query.
mkdir -p "$work/whois"
cp "$here/whois/"* "$work/whois/" 2>/dev/null
if [ -x "$bin/fake_whois_server" ]; then
  ip netns exec "$ns" "$bin/fake_whois_server" --address 127.0.0.43 --port 43 --replies "$work/whois" > "$work/whois.log" 2>&1 &
  pids+=($!)
  ip netns exec "$ns" "$bin/fake_whois_server" --address fd00:6e76::43 --port 43 --replies "$work/whois" > "$work/whois6.log" 2>&1 &
  pids+=($!)
fi

# Update server over copies of the data files.
mkdir -p "$work/update"
cp "$here/update/"* "$work/update/" 2>/dev/null
if [ -x "$bin/norvane-update-server" ]; then
  ip netns exec "$ns" "$bin/norvane-update-server" --address 127.0.0.80 --port 80 --data-dir "$work/update" > "$work/update.log" 2>&1 &
  pids+=($!)
  update_server=1
fi

# RDAP registry over HTTPS.
rdap_env=()
if command -v nginx >/dev/null && command -v openssl >/dev/null && bash "$here/rdap/rdap-registry.sh" "$work/rdap"; then
  ip netns exec "$ns" nginx -p "$work/rdap" -c "$work/rdap/nginx.conf" -e "$work/rdap/logs/error.log" -g 'daemon off;' \
    > "$work/rdap/logs/nginx.out" 2>&1 &
  pids+=($!)
  rdap_env=(SSL_CERT_FILE="$work/rdap/ca.pem")
fi

# Data files of the program for the test domain's extension.
mkdir -p "$work/data"
cp "$here/data/"* "$work/data/" 2>/dev/null

# Wait until the DNS server answers (at most 10 s).
for _ in $(seq 100); do
  inside dig +short +time=1 +tries=1 @127.0.0.53 norvane.test SOA >/dev/null 2>&1 && break
  sleep 0.1
done
if ! inside dig +short +time=1 +tries=1 @127.0.0.53 norvane.test SOA | grep -q ns1 ||
   ! inside dig +short +time=1 +tries=1 @fd00:6e76::53 dual.example SOA | grep -q ns6; then
  echo "the DNS server did not start:"; cat "$work/named/log"; exit 1
fi

# Waits until a server's log says it listens (at most 5 s): await_listening LOG WHAT.
await_listening() {
  for _ in $(seq 50); do
    grep -q '^listening on' "$1" 2>/dev/null && return
    sleep 0.1
  done
  echo "the $2 did not start:"; cat "$1"; exit 1
}
[ -x "$bin/fake_whois_server" ] && await_listening "$work/whois6.log" "IPv6 whois server"
[ -n "${scripted_dns:-}" ] && await_listening "$work/scripted-dns.log" "scripted DNS server"
[ -n "${update_server:-}" ] && await_listening "$work/update.log" "update server"
if [ ${#rdap_env[@]} -gt 0 ]; then
  for _ in $(seq 50); do [ -s "$work/rdap/nginx.pid" ] && break; sleep 0.1; done
  [ -s "$work/rdap/nginx.pid" ] || { echo "the RDAP registry did not start:"; cat "$work/rdap/logs/"*; exit 1; }
fi

# In the background, so that a signal to this script is handled at once (the command,
# being in the namespace, is stopped by the clean-up with the servers).
FAKE_INTERNET_DIR="$work" FAKE_INTERNET_HOSTS="/etc/netns/$ns/hosts" FAKE_INTERNET_RESOLV="/etc/netns/$ns/resolv.conf" \
  FAKE_INTERNET_RESOLV_V6_FIRST=$'nameserver fd00:6e76::53\nnameserver 127.0.0.53\n' NORVANE_FAKE_INTERNET=1 NORVANE_SEALED_NET=1 \
  inside env "${rdap_env[@]}" "$@" &
wait $!
status=$?
if [ $status -ne 0 ]; then
  echo "--- named log"; tail -20 "$work/named/log"
  [ -f "$work/whois.log" ] && { echo "--- whois log"; tail -20 "$work/whois.log"; }
  [ -f "$work/whois6.log" ] && { echo "--- IPv6 whois log"; tail -20 "$work/whois6.log"; }
  [ -f "$work/update.log" ] && { echo "--- update log"; tail -20 "$work/update.log"; }
  [ -f "$work/scripted-dns.log" ] && { echo "--- scripted DNS log"; tail -20 "$work/scripted-dns.log"; }
  [ -f "$work/rdap/logs/access.log" ] && { echo "--- RDAP registry log"; tail -n 20 "$work/rdap/logs/access.log" "$work/rdap/logs/error.log"; }
fi
exit $status
