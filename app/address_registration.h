#pragma once
#include "rdap/rdap_lookup.h"

#include <string>

struct TRdapNumberServers;

// What the IP resolver panel's box shows for the address typed (UTF-8, CR LF): the
// registration the address's registry gives, or one French line (an address nobody is
// asked about, no registry, a failed request, text that is no address). Raises nothing of
// its own: what stops the wait (the user) passes through.
std::string AddressRegistrationText(const TRdapNumberServers& servers, const std::string& field, const TRdapGet& get);
