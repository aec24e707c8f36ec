#pragma once
#include "app/whois_catalogue.h"

#include <exception>
#include <string>

class TRdapBootstrap;
struct TRdapNumberServers;

// What the lookup needs of RDAP (registration data over HTTPS), beside whois.

// Reads rdap.json of the data folder (ending with "/") into `into`, then the user's
// rdap-local.json, whose servers win over rdap.json's for the same extensions. A missing
// file says nothing (neither file: no RDAP). A damaged rdap.json leaves `into` empty, a
// damaged rdap-local.json is left out; either is told to the user.
void LoadRdapBootstrap(TRdapBootstrap& into, const std::string& dataDir, const TShowError& showError);
// The same for the address and AS number files: ipv4.json, ipv6.json and asn.json, each
// on its own (a missing one is no RDAP for that family alone).
void LoadRdapNumberBootstraps(TRdapNumberServers& into, const std::string& dataDir, const TShowError& showError);

// The extension of a name (after its last "."), in small letters; "" without a ".".
std::string ExtensionOf(const std::string& name);

// Whether a whois failure means the server cannot be reached at all: its name does not
// resolve, the connection is refused, reset or cannot be routed, or it times out.
bool WhoisUnreachable(const std::exception& failure);

// The page's line naming the whois failure that RDAP answers in place of (UTF-8, like
// the page).
std::string WhoisFallbackLine(const std::string& host, const std::string& failure);
