#pragma once
#include <nlohmann/json.hpp>

#include <string>

struct TReverseLookup;

// dns --json and resolve-ip --json: the same answers as their text, as one JSON object
// each (docs/norvane-cli-dns.schema.json, docs/norvane-cli-resolve-ip.schema.json).

// The listing of cli/dns_listing.h (Windows-1252, TAB-separated, CR LF) as an object:
// the header's counts, the transport when the reply was cut, one object per record, and
// "error" null (the caller sets it when the exchange failed).
nlohmann::json DnsListingJson(const std::string& server, const std::string& name, const std::string& listing);

// A reverse lookup: the address, the outcome, the host name when found and the text.
nlohmann::json ReverseLookupJson(const std::string& address, const TReverseLookup& result);
