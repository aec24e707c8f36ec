#!/usr/bin/env python3
"""Derives data/rdap.json from the npm package whoisserver-world (ISC licence), and
compares the package's whois servers with data/whois.dat.

  npm pack whoisserver-world && tar xzf whoisserver-world-*.tgz     (in a scratch folder)
  scripts/rdap-bootstrap.py rdap PACKAGE_DIR > data/rdap.json
  scripts/rdap-bootstrap.py compare PACKAGE_DIR data/whois.dat
  scripts/rdap-bootstrap.py add-missing PACKAGE_DIR data/whois.dat STAMP

rdap.json is in the format of IANA's bootstrap file for domains (RFC 9224): one service per
set of base URLs, each base URL ending with "/" (the package's trailing "domain/" is
dropped), https only (the program asks nothing over plain http). Its "publication" is the
package's newest check time, so that converting the same package twice gives the same file.
"""
import json
import sys
import time
from collections import OrderedDict


def load_package(folder):
    with open(folder + "/whoisservers.json", encoding="utf-8") as f:
        return json.load(f)


def base_urls(entry):
    urls = []
    for url in entry.get("rdapServers") or []:
        if not url.startswith("https://"):
            continue
        if url.endswith("domain/"):
            url = url[: -len("domain/")]
        if not url.endswith("/"):
            url += "/"
        if url not in urls:
            urls.append(url)
    return urls


def rdap(folder):
    package = load_package(folder)
    services = OrderedDict()
    skipped = []
    for tld in sorted(package):
        urls = base_urls(package[tld])
        if urls:
            services.setdefault(tuple(urls), []).append(tld)
        elif package[tld].get("rdapServers"):
            skipped.append(tld)
    newest = max(entry.get("t") or 0 for entry in package.values()) / 1000
    bootstrap = {
        "description": "RDAP bootstrap file for domain name space, derived from the npm package "
        "whoisserver-world (ISC licence)",
        "publication": time.strftime("%Y-%m-%dT%H:%M:%SZ", time.gmtime(newest)),
        "services": [[tlds, list(urls)] for urls, tlds in services.items()],
        "version": "1.0",
    }
    # One service per line, as IANA lays its file out.
    services_text = ",\n    ".join(json.dumps(s) for s in bootstrap.pop("services"))
    head = json.dumps(bootstrap, indent=2)[:-2]
    sys.stdout.write(head + ',\n  "services": [\n    ' + services_text + "\n  ]\n}\n")
    if skipped:
        print("no https RDAP server: " + " ".join(skipped), file=sys.stderr)


def read_whois_dat(path):
    with open(path, "rb") as f:
        return f.read().decode("cp1252").split("\r\n")


def whois_entries(lines):
    entries = OrderedDict()
    for line in lines[1:]:
        if "=" in line and not line.startswith(("@", "p@")):
            key, value = line.split("=", 1)
            entries.setdefault(key.lower(), value)
    return entries


def compare(folder, path):
    package = load_package(folder)
    ours = whois_entries(read_whois_dat(path))
    same = [k for k in ours if k in package and ours[k] in (package[k].get("whoisServer") or [])]
    print("%d lines, %d agree exactly" % (len(ours), len(same)))
    for key, value in ours.items():
        if key not in package:
            print("only in whois.dat: %s=%s" % (key, value))
        elif key not in same:
            print("differs: %s=%s, package %s" % (key, value, package[key].get("whoisServer") or "none"))
    for key in sorted(package):
        if key not in ours and package[key].get("whoisServer"):
            print("missing: %s=%s" % (key, package[key]["whoisServer"][0]))


def add_missing(folder, path, stamp):
    package = load_package(folder)
    lines = read_whois_dat(path)
    ours = whois_entries(lines)
    # whois.dat keeps two sorted runs: country codes and the older extensions, then the
    # generic ones of the 2012 round and later.
    legacy_until = 1356998400000  # 2013-01-01
    for key in sorted(k for k in package if k not in ours and package[k].get("whoisServer")):
        entry = package[key]
        legacy = entry.get("type") != "generic" or (entry.get("tldCreated") or 0) < legacy_until
        new_line = "%s=%s" % (key, entry["whoisServer"][0])
        keys = [(i, l.split("=", 1)[0]) for i, l in enumerate(lines) if i and "=" in l and not l.startswith(("@", "p@"))]
        run_break = next(i for (i, k), (_, nxt) in zip(keys, keys[1:]) if k > nxt)
        run = [(i, k) for i, k in keys if (i <= run_break) == legacy]
        at = next((i for i, k in run if k > key), run[-1][0] + 1)
        lines.insert(at, new_line)
    lines[0] = "#" + stamp
    with open(path, "wb") as f:
        f.write("\r\n".join(lines).encode("cp1252"))


if __name__ == "__main__":
    command = sys.argv[1] if len(sys.argv) > 1 else ""
    if command == "rdap" and len(sys.argv) == 3:
        rdap(sys.argv[2])
    elif command == "compare" and len(sys.argv) == 4:
        compare(sys.argv[2], sys.argv[3])
    elif command == "add-missing" and len(sys.argv) == 5:
        add_missing(sys.argv[2], sys.argv[3], sys.argv[4])
    else:
        sys.exit(__doc__)
