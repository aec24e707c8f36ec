#pragma once
#include "dns/host_info.h"

#include <string>

// The panel's lookup itself: an IPv6 address typed in `field` is looked up as one; any
// other text is read by inet_addr (text that is no address is looked up as
// 255.255.255.255). Then its reverse lookup.
TReverseLookup ResolveIpAddress(IHostResolver& resolver, const std::string& field);

// The "Résolveur d'IP" panel: the text the result field shows after resolving the
// address typed in `field` (read by inet_addr, so text that is no address is looked up
// as 255.255.255.255). A host name or the no-record text replaces `shown`; the other
// failures leave `shown` as it was.
std::string ResolveIpField(IHostResolver& resolver, const std::string& field, const std::string& shown);
