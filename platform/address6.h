#pragma once
#include "platform/winsock.h"

#include <cstdint>
#include <string>
#include <vector>

struct sockaddr_storage;

// IPv6 beside the IPv4 calls of winsock.h: the Windows IPv6 socket address, its text
// form with an optional zone ("fe80::1%eth0"), and name resolution to every address of
// both families in the order the system prefers.
namespace winsock {

inline constexpr int32_t WS_AF_INET6 = 23;

struct sockaddr_in6 {
    int16_t sin6_family;
    uint16_t sin6_port;  // network byte order
    uint32_t sin6_flowinfo;
    uint8_t sin6_addr[16];
    uint32_t sin6_scope_id;
};

// Room for a socket address of either family.
struct sockaddr_any {
    union {
        sockaddr_in v4;
        sockaddr_in6 v6;
    };
};

// IPv6 text (with a zone given by interface name or number) into a socket address
// (family, address and zone; the port left as it is). False for anything else.
bool TextToAddress6(const std::string& text, sockaddr_in6& out);
// The text of a 16-byte address, "%zone" added for a non-zero zone (the interface's
// name when it has one, else its number).
std::string Address6ToText(const uint8_t* bytes, uint32_t scopeId);

// A Windows socket address of either family as the system's own; false with the last
// error set when it is short or of another family.
bool ToPosixAddress(const sockaddr* name, int32_t namelen, ::sockaddr_storage& out, uint32_t& outLength);
// The system's socket address as the Windows one (IPv4 or IPv6); -1 when it does not fit.
int32_t FromPosixAddress(const ::sockaddr_storage& storage, sockaddr* name, int32_t* namelen);

// Every address of a name that this machine can reach (all of them when it can reach
// none), both families, as text in the system's order of preference.
// 0, or the resolver's Windows error number (11001-11004) with nothing in `addresses`.
int32_t LookupAllAddresses(const std::string& name, std::vector<std::string>& addresses);

// The IPv6 addresses (16 bytes each, in the system's order) of the system's answer for
// a name in both families: the answer of the first source that knows the name, so a
// name of the hosts file is not asked of DNS. Empty when there are none or it fails.
std::vector<std::string> SystemAddresses6(const std::string& name);

// The system resolver for IPv6 addresses (16 bytes, family WS_AF_INET6), with the same
// result area and errors as gethostbyname/gethostbyaddr.
hostent* gethostbyname6(const char* name);

}  // namespace winsock
