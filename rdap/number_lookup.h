#pragma once
#include "rdap/number_bootstrap.h"
#include "rdap/number_query.h"
#include "rdap/rdap_lookup.h"

#include <string>

// The bootstrap files for numbers, one per family: ipv4.json, ipv6.json, asn.json.
struct TRdapNumberServers {
    TRdapNumberBootstrap Ipv4{TNumberFamily::Ipv4};
    TRdapNumberBootstrap Ipv6{TNumberFamily::Ipv6};
    TRdapNumberBootstrap Asn{TNumberFamily::Asn};

    TRdapNumberBootstrap& For(TNumberFamily family);
    const TRdapNumberBootstrap& For(TNumberFamily family) const;
};

// "ipv4", "ipv6" or "asn": the file's name less ".json", as the update asks for it.
const char* NumberBootstrapName(TNumberFamily family);

// The base URL of the registry holding the query's number (the most specific block);
// raises ERdapNoServer when the family's file is missing or no block holds it.
std::string RdapNumberBase(const TRdapNumberServers& servers, const TNumberQuery& query);

// What is shown of a number's registration (UTF-8, CR LF): for a special-purpose number
// the line saying nobody is asked; otherwise the registry's answer, redirects to another
// registry followed, or a line saying no registry knows it (404). Raises ERdapNoServer
// (no registry to ask) and ERdapError (429 naming the wait, another status, a transfer
// failure, a reply that is no JSON object).
std::string RdapNumberText(const TRdapNumberServers& servers, const TNumberQuery& query, const TRdapGet& get);
