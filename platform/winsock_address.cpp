#include "platform/winsock.h"
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

// Windows socket addresses are 16 bytes, family first; only IPv4 exists here.
bool ToPosix(const sockaddr* name, int32_t namelen, ::sockaddr_in& out)
{
    if (name == nullptr || namelen < static_cast<int32_t>(sizeof(sockaddr_in))) {
        Fail(WSAEFAULT);
        return false;
    }
    sockaddr_in in{};
    std::memcpy(&in, name, sizeof in);
    if (in.sin_family != WS_AF_INET) {
        Fail(WSAEAFNOSUPPORT);
        return false;
    }
    out = {};
    out.sin_family = AF_INET;
    out.sin_port = in.sin_port;
    out.sin_addr.s_addr = in.sin_addr.s_addr;
    return true;
}

int32_t FromPosix(const ::sockaddr_storage& storage, sockaddr* name, int32_t* namelen)
{
    if (name == nullptr || namelen == nullptr || *namelen < static_cast<int32_t>(sizeof(sockaddr_in)))
        return Fail(WSAEFAULT);
    sockaddr_in out{};
    if (storage.ss_family == AF_INET) {
        const auto& in = reinterpret_cast<const ::sockaddr_in&>(storage);
        out.sin_family = WS_AF_INET;
        out.sin_port = in.sin_port;
        out.sin_addr.s_addr = in.sin_addr.s_addr;
    } else {
        out.sin_family = static_cast<int16_t>(storage.ss_family);
    }
    std::memcpy(name, &out, sizeof out);
    *namelen = sizeof out;
    return 0;
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
