#pragma once
// What the resolver decoded and what the record branch shows, set beside what the system's
// dig prints for the same question to the same server. Records are lines of owner, TTL,
// class, type and data joined by one blank; the data of types the decoder leaves undecoded
// is left out on both sides.
#include "net/dns/id_dns_resolver.h"

#include <string>
#include <vector>

struct DigReply {
    bool Truncated = false;
    std::vector<std::string> Answer, Authority, Additional;  // sorted
};

// dig without EDNS, over UDP only, keeping a truncated reply as it came; with retryOverTcp,
// asking a truncated one again over TCP, as dig does by itself.
DigReply Dig(int port, const std::string& question, bool retryOverTcp = false);

// The decoded records of one section, sorted.
std::vector<std::string> RecordLines(const TIdDNSResourceList& list);

// The value nodes of the record branch built from these answers, "label: value", sorted.
std::vector<std::string> BranchValues(const TIdDNSResourceList& answers);
// The same, as the tree rules give them from dig's answer lines.
std::vector<std::string> BranchValuesOf(const std::vector<std::string>& digAnswer);

// One question (recursion desired, class 1) to 127.0.0.1:port; raises what Resolve raises.
void Ask(TIdDNSResolver& resolver, int port, const std::string& name, uint16_t type);

// Every check of one exchange against dig (its own TCP retry included), with the label in
// the failure messages.
void ExpectSameAsDig(const TIdDNSResolver& resolver, int port, const std::string& label,
                     const std::string& digQuestion);
