#pragma once
#include <cstdint>
#include <string>

// Stand-in for the platform's network-parameters call: the computer's first DNS server
// is the first "nameserver" line of the resolver configuration that holds an address of
// either family (an IPv6 one possibly with its zone, "fe80::1%eth0").

constexpr uint32_t kFixedInfoSize = 584;         // size of the platform's fixed record
constexpr uint32_t kErrorBufferOverflow = 111;   // the block given is too small
constexpr uint32_t kErrorFileNotFound = 2;       // configuration missing
constexpr uint32_t kErrorAccessDenied = 5;       // configuration unreadable

struct FixedInfo {
    // First entry of the DNS server list as written there (dotted quad, or IPv6 text with
    // an optional zone), NUL-terminated; empty when none.
    char DnsServerIpAddress[64];
};

// Fills `info` when `*size` is large enough and returns 0; otherwise returns
// kErrorBufferOverflow with the size needed in `*size`, or an error code when the
// configuration file cannot be read.
uint32_t GetNetworkParams(FixedInfo* info, uint32_t* size,
                          const std::string& resolverConfig = "/etc/resolv.conf");
