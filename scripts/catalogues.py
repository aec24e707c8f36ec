#!/usr/bin/env python3
"""Writes the catalogues of who answers for each extension from the registry data in
data/sources/ (see its README), and prints how well the old and the new ones cover the
delegated extensions.

  scripts/catalogues.py [--stamp YYYYMMDD] [--data DIR]

DIR (default: the repository's data/) holds sources/ and receives:
- whois.dat: one line per extension whose IANA page names a whois server, with that host;
  line 1 is "#" and the stamp (default: today, UTC); the "@host=" and "p@host=" lines of
  the file it replaces follow, for the hosts still named.
- rdap.json: IANA's RDAP bootstrap for domains with its plain-http URLs left out (the
  program asks over https only), one service per line.
- rdap-local.json: the country-code RDAP servers IANA's file lacks, in the same format;
  the program reads it after rdap.json and its entries win.
"""
import argparse
import json
import os
import sys
import time
from collections import OrderedDict

SOURCES = "sources"


def source_lines(path):
    """The lines of a source, its "#" comments left out, each split at TABs."""
    with open(path, encoding="utf-8") as f:
        return [line.rstrip("\n").split("\t") for line in f if line.strip() and not line.startswith("#")]


class Sources:
    def __init__(self, folder):
        base = os.path.join(folder, SOURCES)
        self.delegated = [fields[0].lower() for fields in source_lines(os.path.join(base, "iana-tlds.txt"))]
        self.whois = OrderedDict((f[0].lower(), f[1]) for f in source_lines(os.path.join(base, "iana-whois-servers.txt")))
        with open(os.path.join(base, "iana-dns.json"), encoding="utf-8") as f:
            self.iana_rdap = json.load(f, object_pairs_hook=OrderedDict)
        # extension, base URL, operator, checked, note
        self.local_rdap = [f + [""] * (5 - len(f)) for f in source_lines(os.path.join(base, "cctld-rdap-outside-iana.tsv"))]

    def live_rdap(self):
        """Extension -> the https base URLs known to answer."""
        live = {}
        for extensions, urls in self.iana_rdap["services"]:
            for extension in extensions:
                live.setdefault(extension.lower(), set()).update(u for u in urls if u.startswith("https://"))
        for extension, url, _, _, note in self.local_rdap:
            if "503" not in note:
                live.setdefault(extension, set()).add(url)
        return live


def https_only(bootstrap):
    """The bootstrap with its http URLs left out, and services left without a URL dropped."""
    services = []
    for extensions, urls in bootstrap["services"]:
        kept = [u for u in urls if u.startswith("https://")]
        if kept:
            services.append([extensions, kept])
        else:
            print("no https RDAP server, left out: " + " ".join(extensions), file=sys.stderr)
    result = OrderedDict(bootstrap)
    result["services"] = services
    return result


def local_bootstrap(rows):
    """The rows (extension, base URL, ...) as a bootstrap file, one service per URL."""
    by_url = OrderedDict()
    for extension, url, *_ in rows:
        by_url.setdefault(url, []).append(extension)
    checked = max(row[3] for row in rows)
    return OrderedDict([
        ("description", "RDAP servers of country-code registries missing from IANA's bootstrap file; "
                        "read after rdap.json, its entries win"),
        ("publication", checked + "T00:00:00Z"),
        ("services", [[sorted(extensions), [url]] for url, extensions in by_url.items()]),
        ("version", "1.0"),
    ])


def bootstrap_text(bootstrap):
    """RFC 9224 JSON with one service per line, as IANA lays its file out."""
    head = OrderedDict((k, v) for k, v in bootstrap.items() if k != "services")
    lines = [json.dumps(s, ensure_ascii=False) for s in bootstrap["services"]]
    members = ['  %s: %s' % (json.dumps(k), json.dumps(v, ensure_ascii=False)) for k, v in head.items()]
    members.append('  "services": [\n    ' + ",\n    ".join(lines) + "\n  ]")
    return "{\n" + ",\n".join(members) + "\n}\n"


def read_whois_dat(path):
    """Extension -> host, and the template and port lines, of a whois.dat."""
    entries, host_lines = OrderedDict(), []
    if not os.path.exists(path):
        return entries, host_lines
    with open(path, "rb") as f:
        lines = f.read().decode("cp1252").splitlines()
    for line in lines[1:]:
        if "=" not in line:
            continue
        if line.startswith(("@", "p@")):
            host_lines.append(line)
        else:
            key, value = line.split("=", 1)
            entries.setdefault(key.lower(), value)
    return entries, host_lines


def whois_dat_text(sources, stamp, old_host_lines):
    hosts = set(sources.whois.values())
    kept = [line for line in old_host_lines if line.split("=", 1)[0].split("@", 1)[1] in hosts]
    for line in old_host_lines:
        if line not in kept:
            print("host no longer named, line left out: " + line, file=sys.stderr)
    lines = ["#" + stamp] + ["%s=%s" % (ext, host) for ext, host in sorted(sources.whois.items())] + kept
    return "".join(line + "\r\n" for line in lines).encode("cp1252")


def read_bootstrap(path):
    """Extension -> base URL as the program keeps it (the first https URL of a service)."""
    bases = {}
    if os.path.exists(path):
        with open(path, encoding="utf-8") as f:
            for extensions, urls in json.load(f)["services"]:
                https = [u for u in urls if u.startswith("https://")]
                for extension in extensions:
                    if https:
                        bases[extension.lower()] = https[0] if https[0].endswith("/") else https[0] + "/"
    return bases


def coverage(sources, folder):
    """Figures over the delegated extensions for the catalogues in folder."""
    whois, _ = read_whois_dat(os.path.join(folder, "whois.dat"))
    rdap = read_bootstrap(os.path.join(folder, "rdap.json"))
    rdap.update(read_bootstrap(os.path.join(folder, "rdap-local.json")))
    live_rdap = sources.live_rdap()

    def first_request_live(ext):
        # The lookup asks whois when whois.dat names a host, RDAP only when it names none.
        if ext in whois:
            return sources.whois.get(ext) == whois[ext]
        return ext in rdap and rdap[ext] in live_rdap.get(ext, ())

    delegated = sources.delegated
    return OrderedDict([
        ("extensions delegated", len(delegated)),
        ("with whois", sum(e in whois for e in delegated)),
        ("with RDAP", sum(e in rdap for e in delegated)),
        ("with either", sum(e in whois or e in rdap for e in delegated)),
        ("with neither", sum(e not in whois and e not in rdap for e in delegated)),
        ("whois host that IANA does not name", sum(e in whois and sources.whois.get(e) != whois[e] for e in delegated)),
        ("first request to a live service", sum(map(first_request_live, delegated))),
    ])


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--stamp", default=time.strftime("%Y%m%d", time.gmtime()))
    parser.add_argument("--data", default=os.path.join(here, "..", "data"))
    args = parser.parse_args()

    sources = Sources(args.data)
    before = coverage(sources, args.data)
    _, host_lines = read_whois_dat(os.path.join(args.data, "whois.dat"))
    write(os.path.join(args.data, "whois.dat"), whois_dat_text(sources, args.stamp, host_lines))
    write(os.path.join(args.data, "rdap.json"), bootstrap_text(https_only(sources.iana_rdap)).encode("utf-8"))
    write(os.path.join(args.data, "rdap-local.json"), bootstrap_text(local_bootstrap(sources.local_rdap)).encode("utf-8"))
    after = coverage(sources, args.data)

    print("%-36s %7s %7s" % ("", "before", "after"))
    for label in before:
        print("%-36s %7d %7d" % (label, before[label], after[label]))


if __name__ == "__main__":
    main()
