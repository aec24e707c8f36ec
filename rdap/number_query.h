#pragma once
#include "rdap/number_bootstrap.h"

#include <optional>
#include <string>
#include <string_view>

// What a registry is asked about when it is not a domain: an address or an AS number.
struct TNumberQuery {
    TNumberFamily Family = TNumberFamily::Ipv4;
    TRdapNumber Number = 0;
    std::string Text;  // as sent: "192.0.2.1", "2001:db8::1" (compressed), "13335"
};

// An IPv4 address in dotted-quad form or an IPv6 address, surrounding blanks ignored;
// nothing for any other text.
std::optional<TNumberQuery> ParseAddressQuery(std::string_view text);
// An address as above, or an AS number ("AS13335", "as13335" or "13335").
std::optional<TNumberQuery> ParseNumberQuery(std::string_view text);

// The address of the query at a registry: base + "ip/" + address, or base + "autnum/" + number.
std::string RdapNumberUrl(const std::string& base, const TNumberQuery& query);

// For a special-purpose address (RFC 6890 and its updates: private, loopback, link-local,
// documentation, shared, unique local, multicast, ...) or AS number (private use,
// documentation, reserved), the one French line saying so and that nobody is asked;
// nothing for a number a registry may hold.
std::optional<std::string> SpecialPurposeLine(const TNumberQuery& query);
