#pragma once
#include <cstdint>
#include <string>

// Stand-in for the platform's network-parameters call: the computer's first DNS server
// is the first IPv4 "nameserver" line of the resolver configuration.

constexpr uint32_t kFixedInfoSize = 584;         // size of the platform's fixed record
constexpr uint32_t kErrorBufferOverflow = 111;   // the block given is too small
constexpr uint32_t kErrorFileNotFound = 2;       // configuration missing
constexpr uint32_t kErrorAccessDenied = 5;       // configuration unreadable

struct FixedInfo {
    // First entry of the DNS server list, dotted quad, NUL-terminated; empty when none.
    char DnsServerIpAddress[16];
};

// Fills `info` when `*size` is large enough and returns 0; otherwise returns
// kErrorBufferOverflow with the size needed in `*size`, or an error code when the
// configuration file cannot be read.
uint32_t GetNetworkParams(FixedInfo* info, uint32_t* size,
                          const std::string& resolverConfig = "/etc/resolv.conf");
