#!/usr/bin/env bash
# norvane-cli end to end.
#
#   cli-e2e.sh usage BIN_DIR      the command line itself (no network at all)
#   cli-e2e.sh internet BIN_DIR   every subcommand, run inside the fake Internet:
#                                 fake-internet.sh BIN_DIR -- cli-e2e.sh internet BIN_DIR
#
# Exit 0 when every check passes, 1 otherwise, 77 when the fake Internet is not there.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
mode=${1:?mode}
bin=${2:?bin dir}
cli="$bin/norvane-cli"
expected_file="$here/../expected/norvane.test.txt"
schemas="$here/../../../docs"
[ -x "$cli" ] || { echo "no $cli"; exit 1; }

scratch=$(mktemp -d /tmp/norvane-cli-e2e-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Runs the companion: standard output, standard error and the status into $out, $err, $status.
run() {
  "$cli" "$@" > "$scratch/out" 2> "$scratch/err"
  status=$?
  out=$(cat "$scratch/out"; echo .); out=${out%.}
  err=$(cat "$scratch/err"; echo .); err=${err%.}
}

# check NAME EXPECTED ACTUAL
check() {
  if [ "$2" != "$3" ]; then
    fail "$1"
    diff <(printf '%s' "$2") <(printf '%s' "$3") | head -20
  fi
}

# The results file as a terminal gets it: UTF-8, LF.
as_terminal() { iconv -f WINDOWS-1252 -t UTF-8 "$1" | sed 's/\r$//'; }

usage_checks() {
  local usage
  run --help
  check "--help status" 0 "$status"
  check "--help goes to standard output" "" "$err"
  case "$out" in "norvane-cli : les recherches"*) ;; *) fail "--help text: $out" ;; esac
  usage=$(printf '%s' "$out" | sed -n '/^Utilisation :/,/^$/p' | sed '$d')
  [ -n "$usage" ] || fail "--help shows no usage"
  for sub in lookup whois dns resolve-ip update rdap; do
    grep -Eq "^ {14}norvane-cli $sub( |\$)" <<< "$out" || fail "--help has no example for $sub"
  done

  # Lists that give no names: a message, and no records.
  : > "$scratch/empty"; printf '# none\n\n' > "$scratch/comments"
  local list
  while IFS='|' read -r list expected_status message; do
    # shellcheck disable=SC2086
    run lookup --data-dir "$scratch" -f $list
    check "lookup -f $list" "$expected_status||$message
" "$status|$out|$err"
  done <<LISTS
$scratch/absent|1|Impossible de lire la liste $scratch/absent : No such file or directory.
$scratch|1|Impossible de lire la liste $scratch : Is a directory.
$scratch/empty|1|La liste $scratch/empty ne contient aucun nom.
$scratch/comments --warn-days 9|2|La liste $scratch/comments ne contient aucun nom.
LISTS

  run --version
  check "--version" "norvane-cli $(sed -n 's/^#define NORVANE_VERSION "\(.*\)"$/\1/p' "$bin/../generated/norvane_config.h")
" "$out"

  local line
  while IFS='|' read -r line message; do
    # A line may write a control character as \033; the message shows it escaped.
    # shellcheck disable=SC2046
    run $(printf '%b' "$line")
    check "'$line' status" 64 "$status"
    check "'$line' output" "" "$out"
    check "'$line' message and usage" "norvane-cli : $message
$usage
" "$err"
  done <<'LINES'
|sous-commande manquante
fetch x.test|sous-commande inconnue : "fetch"
lookup|NOM manquant
lookup a.test b.test|argument en trop : "b.test"
lookup --whois-only --dns-only a.test|--whois-only et --dns-only s'excluent
lookup --output x a.test|option inconnue pour lookup : "--output"
lookup a.test -o|l'option -o attend une valeur
lookup --encoding latin1 a.test|encodage inconnu : "latin1" (windows-1252 ou utf-8)
whois a.test|whois demande --server
whois --server h --port 70000 a.test|port invalide : "70000" (de 1 à 65535)
dns --type AAAA a.test|type inconnu : "AAAA"
dns --type A\033]0;x\007 a.test|type inconnu : "A\x1b]0;x\x07"
dns --timeout soon a.test|délai invalide : "soon" (en millisecondes)
resolve-ip|ADRESSE manquant
update now|argument en trop : "now"
LINES
}

lookup_checks() {
  local data="$FAKE_INTERNET_DIR/data" whole whois_part tree_part
  whole=$(as_terminal "$expected_file"; echo .); whole=${whole%.}
  # The tree starts with the host branch; the whois page is what comes before it.
  tree_part="Réponse du DNS par défaut${whole#*Réponse du DNS par défaut}"
  whois_part=${whole%"$tree_part"}
  [ -n "$whois_part" ] && [ "$tree_part" != "$whole" ] || fail "the expected file holds no whois page and tree"

  run lookup --data-dir "$data" -o "$scratch/saved.txt" norvane.test
  check "lookup -o status" 0 "$status"
  check "lookup -o prints nothing" "" "$out$err"
  cmp "$expected_file" "$scratch/saved.txt" || fail "lookup -o differs from the window's saved file"
  # The same lookup saved as UTF-8: the Windows-1252 file converted, CR LF made LF.
  run lookup --data-dir "$data" -o "$scratch/utf8.txt" --encoding utf-8 norvane.test
  check "lookup -o --encoding utf-8" "0|" "$status|$out$err"
  cmp <(iconv -f WINDOWS-1252 -t UTF-8 "$scratch/saved.txt" | sed 's/\r$//') "$scratch/utf8.txt" ||
    fail "the UTF-8 file is not the Windows-1252 one converted"

  run lookup --data-dir "$data" norvane.test
  check "lookup status" 0 "$status"
  check "lookup on standard output" "$whole" "$out"
  check "lookup says nothing when standard error is no terminal" "" "$err"

  run lookup --data-dir "$data" --dns-only norvane.test
  check "lookup --dns-only status" 0 "$status"
  check "lookup --dns-only: the tree alone" "$tree_part" "$out"

  run lookup --data-dir "$data" --whois-only norvane.test
  check "lookup --whois-only status" 0 "$status"
  check "lookup --whois-only: the whois page alone" "$whois_part" "$out"

  # The executable's own folder holds the build's data files, which know nothing of .test.
  run lookup norvane.test
  check "lookup without --data-dir" "1|L'extention .test n'est pas supportée!
" "$status|$err"

  run lookup --data-dir "$data" norvane.xyz
  check "unsupported extension" "1||L'extention .xyz n'est pas supportée!
" "$status|$out|$err"
  run lookup --data-dir "$data" -o "$scratch/refused.txt" norvane
  check "invalid name" "1||Adresse invalide!
" "$status|$out|$err"
  [ -e "$scratch/refused.txt" ] && fail "a refused name wrote a results file"

  # A whois server that refuses the connection: the tree is still written.
  mkdir -p "$scratch/closed"
  cp "$data/dns.dat" "$scratch/closed/"
  printf '#1\r\ntest=127.0.0.43\r\np@127.0.0.43=4343\r\n' > "$scratch/closed/whois.dat"
  run lookup --data-dir "$scratch/closed" norvane.test
  check "whois failure status" 2 "$status"
  check "whois failure message" "Socket Error # 10061
Connection refused.
" "$err"
  check "whois failure still writes the tree" "$tree_part" "$out"

  # Stage texts, once standard error is a terminal.
  script -qec "$cli lookup --data-dir $data -o $scratch/tty.txt norvane.test" /dev/null > "$scratch/tty" 2>&1
  check "stages on a terminal" "Résolution de l'URL
Intérogation du serveur DNS
Intérogation du serveur Whois" "$(tr -d '\r' < "$scratch/tty")"

  # A name beyond ASCII goes out in its ASCII form, which a terminal is shown first; the
  # by-hand query too (the whois server has no reply file for the bare name, and says so).
  run lookup --data-dir "$data" -o "$scratch/accented.txt" "Café.テスト"
  check "accented lookup -o" "0|" "$status|$out$err"
  cmp "$here/../expected/xn--caf-dma.xn--zckzah.txt" "$scratch/accented.txt" || fail "accented lookup -o differs from the window's saved file"
  script -qec "$cli lookup --data-dir $data -o $scratch/tty.txt Café.テスト" /dev/null > "$scratch/tty" 2>&1
  check "accented lookup on a terminal" "xn--caf-dma.xn--zckzah
Résolution de l'URL
Intérogation du serveur DNS
Intérogation du serveur Whois" "$(tr -d '\r' < "$scratch/tty")"
  run whois --server 127.0.0.43 " Café.テスト"
  check "accented whois" "0|No match for \"xn--caf-dma.xn--zckzah\".
|" "$status|$out|$err"
  run lookup --data-dir "$data" "a☃.test"
  check "unconvertible name" "1||Adresse invalide!
" "$status|$out|$err"
}

# RDAP over HTTPS (the fake Internet's registry): lookup --whois-only NAME gives STATUS,
# its output holds NEEDLE, its standard error is ERROR.
rdap_checks() {
  local data="$FAKE_INTERNET_DIR/data" args expected needle error
  [ -n "${SSL_CERT_FILE:-}" ] || { fail "no RDAP registry in the fake Internet (nginx, openssl)"; return; }
  local gone="Le serveur Whois whois-gone.norvane.test ne répond pas (Socket Error # 11001) : réponse RDAP ci-dessous."
  local base=https://rdap.nic.test/domain untrusted="SSL certificate problem: unable to get local issuer certificate."
  while IFS='|' read -r args expected needle error; do
    # shellcheck disable=SC2086
    run lookup --whois-only --data-dir "$data" $args
    check "rdap: $args" "$expected|$error${error:+
}" "$status|$err"
    needle=${needle/\$gone/$gone}
    [[ "$out" == *"$needle"* ]] || { fail "rdap: $args gives no \"$needle\""; printf '%s' "$out" | head -3; }
  done <<CASES
absent.gone|0|Nom introuvable auprès de ce registre (404).|
ailleurs.gone|0|Domain Name: ailleurs.gone|
mince.gone|0|Le serveur RDAP du bureau d'enregistrement n'a pas répondu : RDAP request to https://rdap.rogue.test/domain/mince.gone failed: $untrusted|
seul.seul|0|Réponse RDAP de $base/seul.seul|
ici.local|0|Réponse RDAP de https://rdap.other.test/domain/ici.local|
--rdap norvane.test|0|Domain Name: NORVANE.TEST|
limite.gone|2|\$gone|RDAP server $base/limite.gone answered 429 Too Many Requests, asking to wait 120 s.
clair.gone|2|\$gone|RDAP request to $base/clair.gone failed: redirected away from https (Protocol "http" not supported or disabled in libcurl).
casse.gone|2|\$gone|RDAP reply from $base/casse.gone is not a JSON object.
gros.gone|2||RDAP reply from $base/gros.gone is larger than 8 MB.
boucle.gone|2||RDAP request to $base/boucle.gone failed: Maximum (5) redirects followed.
panne.gone|2||RDAP server $base/panne.gone answered HTTP 503.
x.rogue|2||RDAP request to https://rdap.rogue.test/domain/x.rogue failed: $untrusted
CASES

  # A thin registry's answer and its registrar's, as the window saves them (accents
  # through Windows-1252; control characters shown escaped).
  run lookup --whois-only --data-dir "$data" -o "$scratch/exemple.txt" exemple.gone
  check "rdap: exemple.gone -o" "0|" "$status|$out$err"
  cmp "$here/../expected/exemple.gone.txt" "$scratch/exemple.txt" || fail "rdap: exemple.gone differs from the window's saved file"
  # An extension only RDAP knows: the whois servers, which log every connection, see none.
  whois_connections() { cat "$FAKE_INTERNET_DIR"/whois*.log | grep -c '^connection'; }
  local connections
  connections=$(whois_connections)
  run lookup --whois-only --data-dir "$data" seul.seul
  check "rdap only: no whois connection" "0|$connections" "$status|$(whois_connections)"
  # The whois server that answers keeps its answer.
  run lookup --whois-only --data-dir "$data" norvane.test
  case "$out" in "% Serveur whois de test"*) ;; *) fail "rdap: a working whois server was not asked first" ;; esac
  [ "$(whois_connections)" -gt "$connections" ] || fail "rdap: the whois servers logged no connection"

  run rdap --data-dir "$data" seul.seul
  check "rdap command" "0|Réponse RDAP de $base/seul.seul" "$status|$(printf '%s' "$out" | head -1)"
  run rdap --json --data-dir "$data" seul.seul
  check "rdap --json" "0|$(cat "$FAKE_INTERNET_DIR/rdap/www/rdap.nic.test/domain/seul.seul")
" "$status|$out"
  # A damaged rdap.json: said once, RDAP off, whois as before; its folder's name whole.
  mkdir -p "$scratch/abîmé" && cp "$data/"*.dat "$scratch/abîmé/"
  printf '{"services": [' > "$scratch/abîmé/rdap.json"
  run lookup --whois-only --data-dir "$scratch/abîmé" seul.seul
  check "damaged rdap.json" "1|Le fichier $scratch/abîmé/rdap.json est endommagé (not an RDAP bootstrap file: malformed JSON) : pas de recherche RDAP.
L'extention .seul n'est pas supportée!
" "$status|$err"
  run rdap --data-dir "$data" x.xyz
  check "rdap without a server" "1|Pas de serveur RDAP pour l'extension .xyz ($data/rdap.json).
" "$status|$err"
}

# Who holds an address or an AS number: the fake Internet's two regional registries.
# Each row: the command's arguments, its status, a line its output holds, its standard
# error, and how many requests the registries' log gained (none for a reserved address,
# a missing file or an address outside every block; two for a redirect).
rdap_number_checks() {
  local data="$FAKE_INTERNET_DIR/data" log="$FAKE_INTERNET_DIR/rdap/logs/access.log" args expected needle error requests before
  [ -n "${SSL_CERT_FILE:-}" ] || { fail "no RDAP registry in the fake Internet (nginx, openssl)"; return; }
  mkdir -p "$scratch/sans-ipv6" && cp "$data/"* "$scratch/sans-ipv6/" && rm "$scratch/sans-ipv6/ipv6.json"
  while IFS='|' read -r args expected needle error requests; do
    before=$(wc -l < "$log")
    # shellcheck disable=SC2086
    run $args
    check "rdap: $args" "$expected|$error${error:+
}" "$status|$err"
    needle=${needle//'\n'/$'\n'}
    [[ "$out" == *"$needle"* ]] || { fail "rdap: $args gives no \"$needle\""; printf '%s' "$out" | head -5; }
    for _ in 1 2 3 4 5; do [ $(($(wc -l < "$log") - before)) -ge "$requests" ] && break; sleep 0.1; done
    check "rdap: $args: requests" "$requests" "$(($(wc -l < "$log") - before))"
  done <<CASES
rdap --data-dir $data 45.1.2.3|0|CIDR: 45.1.0.0/16||1
rdap --data-dir $data 45.1.2.3|0|OrgAbuseEmail: abus@exemple.test||1
rdap --data-dir $data 45.1.2.3|0|Bloc de test\\u001B[31m rouge||1
rdap --data-dir $data 2A0B:1:0::5|0|CIDR: 2a0b:1::/32||1
rdap --data-dir $data AS30103|0|ASNumber: 30103||1
rdap --data-dir $data 30103|0|Organization: Réseau Exemple SARL||1
rdap --data-dir $data 45.12.0.9|0|(redirigée par https://rdap.nord.test/ip/45.12.0.9)||2
rdap --data-dir $data 45.12.0.9|0|CIDR: 45.12.0.0/22||2
rdap --data-dir $data 45.2.0.1|0|404 : aucun registre ne connaît cette adresse.||1
rdap --data-dir $data 45.9.9.9|2||RDAP server https://rdap.nord.test/ip/45.9.9.9 answered 429 Too Many Requests, asking to wait 60 s.|1
rdap --data-dir $data 10.1.2.3|0|10.1.2.3 : adresse à usage particulier (réseau privé, RFC 6890) : aucun registre n'est interrogé.||0
rdap --data-dir $data fd00:6e76::11|0|(adresses locales uniques, RFC 6890)||0
rdap --data-dir $scratch/sans-ipv6 2a0b:1::5|1||Pas de fichier ipv6.json : pas de recherche RDAP pour 2a0b:1::5.|0
rdap --data-dir $data 99.1.2.3|1||Aucun bloc de ipv4.json ne contient 99.1.2.3 : aucun registre à interroger.|0
resolve-ip --rdap --data-dir $data 45.1.2.3|0|hote.nord.test\\nRéponse RDAP de https://rdap.nord.test/ip/45.1.2.3||1
CASES
}

# Whois replies with accents, in UTF-8 and in Windows-1252. Without --keep-accents every
# byte loses bit 7, as before; with it the reply is read in its own charset, and the names
# reach the terminal and both kinds of -o file.
accents_checks() {
  local data="$FAKE_INTERNET_DIR/data" name charset keep reply
  # The page's lines as they should come out, in the charset $1.
  decoded() {
    if [ -z "$keep" ]; then LC_ALL=C tr '\200-\377' '\000-\177' < "$reply"; else iconv -f "$charset" -t "$1" "$reply"; fi
  }
  while read -r name charset keep; do
    reply="$here/../whois/$name"
    run whois --server 127.0.0.43 $keep "$name"
    check "whois $keep $name status" "0|" "$status|$err"
    cmp -s <(decoded UTF-8) "$scratch/out" || fail "whois $keep $name on standard output"
    run lookup --whois-only --data-dir "$data" -o "$scratch/accents.txt" $keep "$name"
    cmp -s <(decoded WINDOWS-1252 | sed 's/$/\r/'; printf '\r\n') "$scratch/accents.txt" ||
      fail "lookup -o $keep $name: $(od -c "$scratch/accents.txt" | head -5)"
    run lookup --whois-only --data-dir "$data" -o "$scratch/accents.txt" --encoding utf-8 $keep "$name"
    cmp -s <(decoded UTF-8; printf '\n') "$scratch/accents.txt" || fail "lookup -o --encoding utf-8 $keep $name"
  done <<'REPLIES'
accents-utf8.test UTF-8
accents-utf8.test UTF-8 --keep-accents
accents-cp1252.test WINDOWS-1252
accents-cp1252.test WINDOWS-1252 --keep-accents
REPLIES
  # What the unfiltered page looks like, for the record.
  run whois --server 127.0.0.43 accents-utf8.test
  check "whois without --keep-accents" "address:     C	lysC)e, ZC<rich" "$(printf '%s' "$out" | sed -n 's/^address:/&/p')"
}

# dig's records of one section from one server (UDP, no EDNS), in the companion's layout
# without the section tag: texts unquoted, names without their final dot (the root stays ".").
dig_section() {
  dig +noedns +notcp +ignore +noall "+$2" -p 53 "@$1" "${@:3}" |
    tr -d '"' | awk '{ $1 = $1; print }' | sed 's/\([^ ]\)\.\( \|$\)/\1\2/g' | sort
}
cli_section() { printf '%s' "$out" | sed -n "s/^$1\t//p" | tr '\t' ' ' | awk '{ $1 = $1; print }' | sort; }

dns_checks() {
  local server flags name type dig_args an ns ar header
  while read -r server flags name type dig_args; do
    # shellcheck disable=SC2086
    run dns --server "$server" --type "$type" "$name"
    check "dns $type $name status" "0|" "$status|$err"
    header=$(printf '%s' "$out" | head -1)
    an=$(dig_section "$server" answer $dig_args)
    ns=$(dig_section "$server" authority $dig_args)
    ar=$(dig_section "$server" additional $dig_args)
    [ -n "$an$ns" ] || fail "dig found nothing for $name $type"
    check "dns $type $name answers" "$an" "$(cli_section AN)"
    check "dns $type $name authority" "$ns" "$(cli_section NS)"
    check "dns $type $name additional" "$ar" "$(cli_section AR)"
    "$cli" dns --json --server "$server" --type "$type" "$name" > "$scratch/json"
    python3 "$here/validate-json.py" "$schemas/norvane-cli-dns.schema.json" < "$scratch/json" || fail "dns --json $type $name against the schema"
    check "dns --json $type $name is the listing" "$(printf '%s' "$out" | sed 1d)" "$(python3 -c 'import json, sys
for r in json.load(open(sys.argv[1]))["records"]: print("\t".join([r["section"], r["owner"], str(r["ttl"]), r["class"], r["type"]] + r["data"]))' "$scratch/json")"
    count() { [ -z "$1" ] && echo 0 || printf '%s\n' "$1" | wc -l; }
    printf '%s' "$header" | grep -Eq "^ID [0-9]+	Flags $flags	QD 1	AN $(count "$an")	NS $(count "$ns")	AR $(count "$ar")\$" ||
      fail "dns $type $name header: $header"
  done <<'QUERIES'
127.0.0.53 0x8500 norvane.test ANY norvane.test ANY
127.0.0.53 0x8500 courrier.norvane.test MX courrier.norvane.test MX
127.0.0.53 0x8500 127.0.1.10 PTR -x 127.0.1.10
127.0.0.53 0x8500 127.0.1.30 PTR -x 127.0.1.30
127.0.0.53 0x8500 station.norvane.test HINFO station.norvane.test HINFO
127.0.0.54 0x8180 minimal.norvane.test ANY minimal.norvane.test ANY
127.0.0.54 0x8180 nullmx.minimal.norvane.test MX nullmx.minimal.norvane.test MX
127.0.0.54 0x8180 selfmx.minimal.norvane.test MX selfmx.minimal.norvane.test MX
127.0.0.53 0x8500 Café.テスト ANY xn--caf-dma.xn--zckzah ANY
fd00:6e76::53 0x8500 dual.example SOA dual.example SOA
::1 0x8500 dual.example SOA dual.example SOA
QUERIES

  # A reply cut at 512 bytes is asked again over TCP, as dig does by itself.
  run dns --server '[fd00:6e76::53]' --type A big.dual.example
  check "dns over TCP status" "0|" "$status|$err"
  printf '%s' "$out" | head -1 | grep -Eq '^ID [0-9]+	Flags 0x8500	QD 1	AN 40	NS 0	AR 0	TCP$' ||
    fail "dns over TCP header: $(printf '%s' "$out" | head -1)"
  check "dns over TCP answers" "$(dig +noedns +noall +answer @fd00:6e76::53 big.dual.example A |
    awk '{ $1 = $1; print }' | sed 's/\([^ ]\)\.\( \|$\)/\1\2/g' | sort)" "$(cli_section AN)"

  # Replies that end with an HINFO record's empty OS text, a root exchange or a pointer.
  local line
  while IFS='|' read -r name type line; do
    run dns --server 127.0.0.54 --type "$type" "$name"
    check "dns $type $name record" "0|$line|" "$status|$(printf '%s' "$out" | sed 1d | tr '\t' '|')|$err"
  done <<'LAST'
minimal.norvane.test|ANY|AN|minimal.norvane.test|3789|IN|HINFO|RFC8482|
nullmx.minimal.norvane.test|MX|AN|nullmx.minimal.norvane.test|3600|IN|MX|0|.
selfmx.minimal.norvane.test|MX|AN|selfmx.minimal.norvane.test|3600|IN|MX|10|selfmx.minimal.norvane.test
LAST

  run dns --server 127.0.0.53 --port 5353 --timeout 300 norvane.test
  check "dns without an answer" "1||Received Packet is too small. Less than 4 bytes 28
" "$status|$out|$err"

  run dns $'norvane.test\r\nQUIT'; check "dns with a line break in the name" "1||Adresse invalide!
" "$status|$out|$err"
  run dns nothing.norvane.test
  check "dns for a name that does not exist" "1||DNS Server Reports Query Name Error
" "$status|$out|$err"

  # Refused before sending; the resolver then decodes the empty reply, and that failure wins.
  run dns --type MD norvane.test
  check "dns with an obsolete type" "1|Received Packet is too small. Less than 4 bytes 28
" "$status|$err"
}

resolve_ip_checks() {
  local address expected_status expected_out
  while IFS='|' read -r address expected_status expected_out; do
    "$cli" resolve-ip --json "$address" > "$scratch/json" 2> /dev/null
    python3 "$here/validate-json.py" "$schemas/norvane-cli-resolve-ip.schema.json" < "$scratch/json" &&
      python3 -c 'import json, sys; r = json.load(open(sys.argv[1])); sys.exit(r["text"] != sys.argv[2] or r["host"] not in (None, r["text"]) or (r["outcome"] == "failed") != (sys.argv[3] != "0"))' \
        "$scratch/json" "$expected_out" "$expected_status" || fail "resolve-ip --json $address: $(cat "$scratch/json")"
    run resolve-ip "$address"
    if [ "$expected_status" = 0 ]; then
      check "resolve-ip $address" "0|$expected_out
|" "$status|$out|$err"
    else
      check "resolve-ip $address" "1||$expected_out
" "$status|$out|$err"
    fi
  done <<'ADDRESSES'
127.0.1.11|0|web2.norvane.test
127.0.0.1|0|localhost.fake
127.0.1.30|0|Aucun enregistrement trouvé...
127.0.1.99|1|Hôte n'a pas été trouvé...
127.0.0.53|1|Echec de la fonction...
fd00:6e76::11|0|web6.dual.example
fd00:6e76::99|1|Hôte n'a pas été trouvé...
ADDRESSES
}

# A computer whose first name server is IPv6, a domain with addresses of both families,
# and its whois server reachable over IPv6 only, behind an address that refuses.
ipv6_checks() {
  local saved
  saved=$(cat "$FAKE_INTERNET_RESOLV"; echo .); saved=${saved%.}
  printf '%s' "$FAKE_INTERNET_RESOLV_V6_FIRST" > "$FAKE_INTERNET_RESOLV"
  run lookup --data-dir "$FAKE_INTERNET_DIR/data" -o "$scratch/dual.txt" dual.example
  check "IPv6 lookup -o" "0|" "$status|$out$err"
  cmp "$here/../expected/dual.example.txt" "$scratch/dual.txt" || fail "IPv6 lookup -o differs from the window's saved file"
  run whois --server fd00:6e76::43 dual.example
  check "whois over IPv6" "0|$(cat "$here/../whois/dual.example")
|" "$status|$out|$err"
  run whois --server whois.dual.example dual.example
  check "whois past a refusing address" "0|$(cat "$here/../whois/dual.example")
|" "$status|$out|$err"
  printf '%s' "$saved" > "$FAKE_INTERNET_RESOLV"
}

# A resolver that never answers (5 s a question): a name of the hosts file is not asked
# of it, and a name it is asked about is asked once. Each row: the command, the questions
# it got (name and type; the lookup's own DNS step asks its default server for ANY), and
# the milliseconds it must stay under: what it took before, less one question's wait.
silent_resolver_checks() {
  local saved log="$scratch/silent.log" pid args asked most started took
  [ -x "$bin/fake_dns_server" ] || { echo "no fake_dns_server: silent resolver checks skipped"; return; }
  "$bin/fake_dns_server" --address 127.0.0.55 --port 53 --silent >> "$log" 2>&1 &
  pid=$!
  for _ in $(seq 50); do grep -q '^listening on' "$log" && break; sleep 0.1; done
  saved=$(cat "$FAKE_INTERNET_RESOLV"; echo .); saved=${saved%.}
  printf 'nameserver 127.0.0.55\noptions timeout:5 attempts:1\n' > "$FAKE_INTERNET_RESOLV"
  while IFS='|' read -r args asked most; do
    : > "$log"
    started=$(date +%s%N)
    # shellcheck disable=SC2086
    run ${args//DATA/$FAKE_INTERNET_DIR/data}
    took=$((($(date +%s%N) - started) / 1000000))
    check "silent resolver: $args asked" "$asked" "$(sort "$log" | tr '\n' ' ')"
    [ "$took" -lt "$most" ] || fail "silent resolver: $args took $took ms, not under $most"
  done <<'ROWS'
lookup --dns-only --data-dir DATA whois.nic.test|whois.nic.test 255 |8000
whois --server nowhere.test a.test|nowhere.test 1 nowhere.test 28 |9000
ROWS
  printf '%s' "$saved" > "$FAKE_INTERNET_RESOLV"
  kill "$pid"; wait "$pid" 2>/dev/null
}

update_checks() {
  local published="$FAKE_INTERNET_DIR/update" installed="$scratch/installed"
  mkdir -p "$published" "$installed"
  printf '#20261208\r\n[test]\r\nserver1=127.0.0.53\r\n[fr]\r\nserver1=127.0.0.53\r\n' > "$published/dns.dat"
  printf '#20261208\r\ntest=whois.nic.test\r\nfr=whois.nic.test\r\n' > "$published/whois.dat"
  cp "$FAKE_INTERNET_DIR/data/"*.dat "$FAKE_INTERNET_DIR/data/rdap-local.json" "$installed/"

  run update --data-dir "$installed"
  check "update of old copies" "0|Les données DNS ont été mise à jour.
Les données Whois ont été mise à jour.

|" "$status|$out|$err"
  cmp "$published/dns.dat" "$installed/dns.dat" || fail "dns.dat not replaced"
  cmp "$published/whois.dat" "$installed/whois.dat" || fail "whois.dat not replaced"

  run update --data-dir "$installed"
  check "update of current copies" "0|Les données DNS n'ont pas besoin d'être mise à jour.
Les données Whois n'ont pas besoin d'être mise à jour.

|" "$status|$out|$err"

  # No dns.dat: said as the window says it, then fetched all the same.
  rm "$installed/dns.dat"
  run update --data-dir "$installed"
  check "update without dns.dat" "0|Les données DNS ont été mise à jour.
Les données Whois n'ont pas besoin d'être mise à jour.

|Cannot open file $installed/dns.dat.
" "$status|$out|$err"
  cmp "$published/dns.dat" "$installed/dns.dat" || fail "dns.dat not created"

  # A server publishing rdap.json: fetched after the two checks, named on a line of its own.
  cp "$FAKE_INTERNET_DIR/data/rdap.json" "$FAKE_INTERNET_DIR/data/ipv6.json" "$published/"
  run update --data-dir "$installed"
  check "update with rdap.json published" "0|Les données DNS n'ont pas besoin d'être mise à jour.
Les données Whois n'ont pas besoin d'être mise à jour.
Les données RDAP ont été mise à jour.

|" "$status|$out|$err"
  cmp "$published/rdap.json" "$installed/rdap.json" || fail "rdap.json not fetched"
  cmp "$published/ipv6.json" "$installed/ipv6.json" || fail "ipv6.json not fetched with rdap.json"
  cmp "$FAKE_INTERNET_DIR/data/rdap-local.json" "$installed/rdap-local.json" || fail "an update changed rdap-local.json"
  rm "$published/rdap.json" "$published/ipv6.json"

  # A check refused (the server has no dns.dat): the dialog's texts, and a status of its own.
  mv "$published/dns.dat" "$scratch/published-dns.dat"
  run update --data-dir "$installed"
  check "update with a refused check" "3|Vérification des données DNS
Les données Whois n'ont pas besoin d'être mise à jour.

|" "$status|$out|$err"
  mv "$scratch/published-dns.dat" "$published/dns.dat"

  : > "$installed/whois.dat"
  run update --data-dir "$installed"
  check "update with an empty whois.dat" "1||Les bases de données sont corrompues
" "$status|$out|$err"
}

# The requests a server logged, one "START END" pair (ms) per line: prints the first that
# started less than $1 ms after the end of the one before it (or before that end).
too_close() {
  sort -n | awk -v pace="$1" 'NR > 1 && $1 - end < pace { print "at " $1 ", " $1 - end " ms after the end of the last"; exit } { end = $2 }'
}

# Lists: twelve names over two whois servers of this test (each holding every query
# 100 ms and logging when), the fake Internet's whois and RDAP registries; then the exit
# statuses of --warn-days, and the records against the schema.
list_checks() {
  local list="$here/../list" expected="$here/../expected" data="$scratch/list-data" before names status_line
  mkdir -p "$data" && cp "$FAKE_INTERNET_DIR/data/dns.dat" "$FAKE_INTERNET_DIR/data/rdap.json" "$list/whois.dat" "$data/"
  local servers=()
  for address in 127.0.0.61 127.0.0.62; do
    "$bin/fake_whois_server" --address $address --port 43 --replies "$list/whois" --hold-ms 100 > "$scratch/whois-$address.log" 2>&1 &
    servers+=($!)
  done
  for address in 127.0.0.61 127.0.0.62; do
    for _ in $(seq 50); do grep -q '^listening' "$scratch/whois-$address.log" && break; sleep 0.1; done
  done
  before=$(wc -l < "$FAKE_INTERNET_DIR/rdap/logs/access.log")
  export NORVANE_NOW=2026-12-10T00:00:00Z

  run lookup --data-dir "$data" -f "$list/names.txt" --json --pace 0.3
  check "list --json status" 2 "$status"
  cmp -s "$expected/list.jsonl" "$scratch/out" || { fail "list --json differs"; diff "$expected/list.jsonl" "$scratch/out" | head -5; }
  check "list --json messages" "$(sort "$expected/list.err")" "$(sort "$scratch/err")"
  python3 "$here/validate-json.py" "$schemas/norvane-cli-lookup.schema.json" < "$scratch/out" || fail "list --json against the schema"
  # Pacing holds within a run: the logs so far are this run's.
  for address in 127.0.0.61 127.0.0.62; do cp "$scratch/whois-$address.log" "$scratch/paced-$address.log"; done
  tail -n +$((before + 1)) "$FAKE_INTERNET_DIR/rdap/logs/access.log" > "$scratch/rdap.log"
  "$cli" lookup --data-dir "$data" -f - --csv --warn-days 30 --pace 0.3 < "$list/names.txt" > "$scratch/out" 2> "$scratch/err"
  check "list --csv status" 2 "$?"
  cmp -s "$expected/list.csv" "$scratch/out" || { fail "list --csv differs"; diff "$expected/list.csv" "$scratch/out" | head -5; }

  # Pacing, from the servers' own logs: never two requests at once to one server, and at
  # least the pace (0.3 s) from the end of one to the start of the next, less the
  # millisecond each logged time may have lost; the 429 asked again after its Retry-After (1 s).
  for address in 127.0.0.61 127.0.0.62; do
    [ "$(grep -c '^answered' "$scratch/paced-$address.log")" = 3 ] || fail "whois $address was not asked thrice"
    status_line=$(awk '/^(answered|no match)/ { print $(NF - 1), $NF }' "$scratch/paced-$address.log" | too_close 299)
    [ -z "$status_line" ] || fail "whois $address: $status_line"
  done
  for host in rdap.nic.test rdap.registrar.test; do
    status_line=$(awk -v host=$host '$3 == host { printf "%.0f %.0f\n", ($1 - $2) * 1000, $1 * 1000 }' "$scratch/rdap.log" | too_close 298)
    [ -z "$status_line" ] || fail "RDAP $host: $status_line"
  done
  status_line=$(awk '$4 == "/domain/presse.gone" { printf "%.0f %.0f\n", ($1 - $2) * 1000, $1 * 1000 }' "$scratch/rdap.log" | too_close 998)
  [ "$(grep -c presse.gone "$scratch/rdap.log")" = 2 ] && [ -z "$status_line" ] || fail "429 not asked again after its wait: $status_line"

  # The progress, once standard error is a terminal (one job: in the list's order).
  printf 'ripe.alpha\nsans-point\nuk.beta\n' > "$scratch/three"
  script -qec "$cli lookup --whois-only --data-dir $data -f $scratch/three --jobs 1 --pace 0 > $scratch/three.csv" /dev/null > "$scratch/tty" 2>&1
  check "list progress on a terminal" "[1/3] ripe.alpha
sans-point : Adresse invalide!
[2/3] sans-point
[3/3] uk.beta" "$(tr -d '\r' < "$scratch/tty")"

  # One name alone is the same record as in the list.
  run lookup --data-dir "$data" --json seul.seul
  check "lookup --json NAME" "0|$(grep '"name":"seul.seul"' "$expected/list.jsonl")
|" "$status|$out|$err"

  # --warn-days: names | days | status
  while IFS='|' read -r names days expected_status; do
    printf '%s\n' $names | "$cli" lookup --data-dir "$data" --whois-only -f - --warn-days "$days" --pace 0 > /dev/null 2>&1
    check "--warn-days $days for $names" "$expected_status" "$?"
  done <<'WARN'
ripe.alpha|30|0
uk.beta seul.seul|30|0
exemple.gone|30|0
exemple.gone|95|0
exemple.gone|96|1
odd.beta|36500|0
paid.beta seul.seul|30|2
sans-point seul.seul|30|2
WARN
  kill "${servers[@]}"; wait "${servers[@]}" 2>/dev/null
  unset NORVANE_NOW
}

case "$mode" in
  usage) usage_checks ;;
  internet)
    [ -n "${FAKE_INTERNET_DIR:-}" ] || { echo "SKIP: runs inside the fake Internet only"; exit 77; }
    lookup_checks
    accents_checks
    dns_checks
    resolve_ip_checks
    ipv6_checks
    silent_resolver_checks
    update_checks
    rdap_checks
    rdap_number_checks
    list_checks
    ;;
  *) echo "unknown mode $mode"; exit 2 ;;
esac
[ "$failures" -eq 0 ] && echo "norvane-cli $mode: every check passed"
[ "$failures" -eq 0 ]
