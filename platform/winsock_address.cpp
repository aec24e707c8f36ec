#include "platform/winsock.h"
#include "platform/address6.h"
#include "platform/winsock_internal.h"

#include <arpa/inet.h>
#include <cstdio>
#include <cstring>

// Address text, byte order and the conversion of socket addresses to and from POSIX.
namespace winsock {

namespace {

thread_local char tNtoa[16];

}  // namespace

namespace detail {

bool ToPosix(const sockaddr* name, int32_t namelen, ::sockaddr_storage& out, socklen_t& outLength)
{
    uint32_t length = 0;
    if (!ToPosixAddress(name, namelen, out, length)) return false;
    outLength = static_cast<socklen_t>(length);
    return true;
}

int32_t FromPosix(const ::sockaddr_storage& storage, sockaddr* name, int32_t* namelen)
{
    return FromPosixAddress(storage, name, namelen);
}

}  // namespace detail

uint32_t inet_addr(const char* cp)
{
    if (cp == nullptr) return WS_INADDR_NONE;
    ::in_addr addr{};
    if (::inet_aton(cp, &addr) == 0) return WS_INADDR_NONE;
    return addr.s_addr;
}

char* inet_ntoa(in_addr in)
{
    const auto* b = reinterpret_cast<const unsigned char*>(&in.s_addr);
    std::snprintf(tNtoa, sizeof tNtoa, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
    return tNtoa;
}

uint16_t(htons)(uint16_t hostshort) { return (::htons)(hostshort); }
uint16_t(ntohs)(uint16_t netshort) { return (::ntohs)(netshort); }
uint32_t(htonl)(uint32_t hostlong) { return (::htonl)(hostlong); }
uint32_t(ntohl)(uint32_t netlong) { return (::ntohl)(netlong); }

}  // namespace winsock
