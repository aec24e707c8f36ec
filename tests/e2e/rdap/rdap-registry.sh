#!/usr/bin/env bash
# The fake Internet's RDAP registry: prepares WORK for an nginx that serves the replies of
# www/ over HTTPS on 127.0.0.44 (port 443, and port 80 for the plain http case), with
# certificates from a test authority made here (WORK/ca.pem, for SSL_CERT_FILE) and one
# host whose certificate comes from another, unknown authority.
#
#   rdap-registry.sh WORK        then: nginx -p WORK -c WORK/nginx.conf -g 'daemon off;'
#
# Hosts: rdap.nic.test (the registry), rdap.registrar.test (a registrar a thin registry
# refers to), rdap.other.test (where a redirect leads), rdap.rogue.test (unknown authority);
# for addresses and AS numbers, two regional registries: rdap.nord.test (which sends the
# block 45.12.0.0/16, transferred, to the other) and rdap.sud.test.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=${1:?work dir}
mkdir -p "$work/tmp" "$work/logs"
cp -r "$here/www" "$work/"
cd "$work"
# A reply past the client's size bound (8 MB): a JSON string of 9 MB.
{ printf '{"ldhName": "'; head -c 9000000 /dev/zero | tr '\0' a; printf '"}'; } > www/rdap.nic.test/domain/gros.gone

# Authority, then a certificate it signs: cert NAME AUTHORITY SAN...
authority() {
  openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 \
    -keyout "$1.key" -out "$1.pem" -subj "/CN=$2" 2>/dev/null
}
cert() {
  local name=$1 ca=$2 san=$3
  openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout "$name.key" -out "$name.csr" \
    -subj "/CN=${san%%,*}" 2>/dev/null
  printf 'subjectAltName=%s\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' \
    "$(printf '%s' "$san" | sed 's/\([^,]*\)/DNS:\1/g')" > "$name.ext"
  openssl x509 -req -in "$name.csr" -CA "$ca.pem" -CAkey "$ca.key" -CAcreateserial -days 2 \
    -extfile "$name.ext" -out "$name.pem" 2>/dev/null
}
authority ca "Norvane test authority"
authority rogue-ca "Unknown authority"
cert server ca "rdap.nic.test,rdap.registrar.test,rdap.other.test,rdap.nord.test,rdap.sud.test"
cert rogue rogue-ca "rdap.rogue.test"

cat > nginx.conf <<CONF
worker_processes 1;
pid $work/nginx.pid;
error_log $work/logs/error.log;
events { worker_connections 64; }
http {
  # When each request ended (s.ms since 1970) and how long its connection had lasted then:
  # pacing shows in it.
  log_format timed '\$msec \$connection_time \$host \$request_uri \$status';
  access_log $work/logs/access.log timed;
  client_body_temp_path $work/tmp/body;
  proxy_temp_path $work/tmp/proxy;
  fastcgi_temp_path $work/tmp/fastcgi;
  uwsgi_temp_path $work/tmp/uwsgi;
  scgi_temp_path $work/tmp/scgi;
  default_type application/rdap+json;
  ssl_certificate $work/server.pem;
  ssl_certificate_key $work/server.key;

  server {
    listen 127.0.0.44:443 ssl default_server;
    server_name rdap.nic.test;
    root $work/www/rdap.nic.test;
    location = /domain/limite.gone { add_header Retry-After 120 always; return 429; }
    location = /domain/presse.gone { add_header Retry-After 1 always; return 429; }
    location = /domain/ailleurs.gone { return 302 https://rdap.other.test/domain/ailleurs.gone; }
    location = /domain/clair.gone { return 302 http://rdap.other.test/domain/clair.gone; }
    location = /domain/boucle.gone { return 302 https://rdap.nic.test/domain/boucle.gone; }
    location = /domain/panne.gone { return 503; }
  }
  server {
    listen 127.0.0.44:443 ssl;
    server_name rdap.registrar.test;
    root $work/www/rdap.registrar.test;
  }
  server {
    listen 127.0.0.44:443 ssl;
    listen 127.0.0.44:80;
    server_name rdap.other.test;
    root $work/www/rdap.other.test;
  }
  server {
    listen 127.0.0.44:443 ssl;
    server_name rdap.nord.test;
    root $work/www/rdap.nord.test;
    location ~ ^/ip/45\.12\. { return 301 https://rdap.sud.test\$request_uri; }
    location = /ip/45.9.9.9 { add_header Retry-After 60 always; return 429; }
  }
  server {
    listen 127.0.0.44:443 ssl;
    server_name rdap.sud.test;
    root $work/www/rdap.sud.test;
  }
  server {
    listen 127.0.0.44:443 ssl;
    server_name rdap.rogue.test;
    ssl_certificate $work/rogue.pem;
    ssl_certificate_key $work/rogue.key;
    root $work/www/rdap.nic.test;
  }
}
CONF
