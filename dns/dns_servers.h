#pragma once
#include "platform/network_params.h"

#include <cstdint>
#include <functional>
#include <string>

class TIdDNSResourceList;

// Where the DNS record query asks: the computer's own DNS server, read once at start,
// and the server chosen for each domain.

using TErrorReporter = std::function<void(const std::string& message)>;
using TNetworkParamsCall = std::function<uint32_t(FixedInfo* info, uint32_t* size)>;

// Size of the platform's fixed network-parameters record, the first block offered.
inline constexpr uint32_t kFirstFixedInfoBlock = 584;
// A size beyond this cannot be the record's; it is refused like a failed allocation.
inline constexpr uint32_t kMaxFixedInfoBlock = 1u << 20;

// The dotted quad of the first DNS server of the network configuration, asked for the
// way the platform wants it: a zero-filled block of 584 bytes, a larger one when the call
// says so, then the call again. A failure is reported (and "" returned):
// "Echec de GetNetworkParams, code erreur n° %08x\n" with the code of the second call,
// or "Erreur d'allocation mémoire pour FIXED_INFO" when the larger block cannot be had.
std::string LoadDefaultDnsServer(const TErrorReporter& showError, const TNetworkParamsCall& getNetworkParams);
// The same over the resolver configuration file.
std::string LoadDefaultDnsServer(const TErrorReporter& showError,
                                 const std::string& resolverConfig = "/etc/resolv.conf");

// The server to ask about `domain` after the first query: the first answer that carries
// a domain name (for a zone, its name server), otherwise "server1" of the section named
// by the lower-cased top-level domain in appDir + "dns.dat", read afresh each time; ""
// when neither gives one. A name without "." never reads the file.
std::string SelectDnsServer(const TIdDNSResourceList& answers, const std::string& domain, const std::string& appDir);
