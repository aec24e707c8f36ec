#include "platform/address6.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstdlib>
#include <cstring>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace winsock {

namespace {

// A zone names an interface, or is its number (as the system's resolver reads it).
bool ZoneIndex(const std::string& zone, uint32_t& index)
{
    if (zone.empty()) return false;
    if (const unsigned named = ::if_nametoindex(zone.c_str()); named != 0) {
        index = named;
        return true;
    }
    char* end = nullptr;
    const unsigned long number = std::strtoul(zone.c_str(), &end, 10);
    if (*end != '\0' || zone[0] < '0' || zone[0] > '9' || number > UINT32_MAX) return false;
    index = static_cast<uint32_t>(number);
    return true;
}

int32_t ResolverErrorOf(int code)
{
    switch (code) {
    case EAI_NONAME: return WSAHOST_NOT_FOUND;
    case EAI_AGAIN: return WSATRY_AGAIN;
    case EAI_NODATA:
    case EAI_ADDRFAMILY: return WSANO_DATA;
    default: return WSANO_RECOVERY;
    }
}

// Whether this machine has a route to the address: connecting a datagram socket sends
// nothing, and fails at once where there is no route or no source address for it.
bool Routable(const ::addrinfo& entry)
{
    ::sockaddr_storage target{};
    std::memcpy(&target, entry.ai_addr, std::min<size_t>(entry.ai_addrlen, sizeof target));
    const uint16_t discard = htons(9);  // any port will do; 0 is not one
    if (entry.ai_family == AF_INET) reinterpret_cast<::sockaddr_in&>(target).sin_port = discard;
    if (entry.ai_family == AF_INET6) reinterpret_cast<::sockaddr_in6&>(target).sin6_port = discard;
    const int probe = ::socket(entry.ai_family, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (probe < 0) return false;
    const bool routable = ::connect(probe, reinterpret_cast<const ::sockaddr*>(&target), entry.ai_addrlen) == 0;
    ::close(probe);
    return routable;
}

}  // namespace

bool TextToAddress6(const std::string& text, sockaddr_in6& out)
{
    if (text.find('\0') != std::string::npos) return false;
    const size_t percent = text.find('%');
    uint32_t scope = 0;
    if (percent != std::string::npos && !ZoneIndex(text.substr(percent + 1), scope)) return false;
    ::in6_addr bytes{};
    if (::inet_pton(AF_INET6, text.substr(0, percent).c_str(), &bytes) != 1) return false;
    out.sin6_family = static_cast<int16_t>(WS_AF_INET6);
    std::memcpy(out.sin6_addr, &bytes, 16);
    out.sin6_scope_id = scope;
    return true;
}

std::string Address6ToText(const uint8_t* bytes, uint32_t scopeId)
{
    char text[INET6_ADDRSTRLEN] = "";
    ::inet_ntop(AF_INET6, bytes, text, sizeof text);
    if (scopeId == 0) return text;
    char name[IF_NAMESIZE] = "";
    if (::if_indextoname(scopeId, name) != nullptr) return std::string(text) + "%" + name;
    return std::string(text) + "%" + std::to_string(scopeId);
}

bool ToPosixAddress(const sockaddr* name, int32_t namelen, ::sockaddr_storage& out, uint32_t& outLength)
{
    out = {};
    if (name == nullptr || namelen < static_cast<int32_t>(sizeof(sockaddr_in))) {
        WSASetLastError(WSAEFAULT);
        return false;
    }
    sockaddr_any in;
    std::memset(&in, 0, sizeof in);
    std::memcpy(&in, name, std::min<size_t>(static_cast<size_t>(namelen), sizeof in));
    if (in.v4.sin_family == WS_AF_INET) {
        auto& v4 = reinterpret_cast<::sockaddr_in&>(out);
        v4.sin_family = AF_INET;
        v4.sin_port = in.v4.sin_port;
        v4.sin_addr.s_addr = in.v4.sin_addr.s_addr;
        outLength = sizeof v4;
        return true;
    }
    if (in.v6.sin6_family != WS_AF_INET6) {
        WSASetLastError(WSAEAFNOSUPPORT);
        return false;
    }
    if (namelen < static_cast<int32_t>(sizeof(sockaddr_in6))) {
        WSASetLastError(WSAEFAULT);
        return false;
    }
    auto& v6 = reinterpret_cast<::sockaddr_in6&>(out);
    v6.sin6_family = AF_INET6;
    v6.sin6_port = in.v6.sin6_port;
    v6.sin6_flowinfo = in.v6.sin6_flowinfo;
    std::memcpy(&v6.sin6_addr, in.v6.sin6_addr, 16);
    v6.sin6_scope_id = in.v6.sin6_scope_id;
    outLength = sizeof v6;
    return true;
}

int32_t FromPosixAddress(const ::sockaddr_storage& storage, sockaddr* name, int32_t* namelen)
{
    sockaddr_any out;
    std::memset(&out, 0, sizeof out);
    int32_t length = sizeof(sockaddr_in);
    if (storage.ss_family == AF_INET6) {
        const auto& v6 = reinterpret_cast<const ::sockaddr_in6&>(storage);
        out.v6.sin6_family = static_cast<int16_t>(WS_AF_INET6);
        out.v6.sin6_port = v6.sin6_port;
        out.v6.sin6_flowinfo = v6.sin6_flowinfo;
        std::memcpy(out.v6.sin6_addr, &v6.sin6_addr, 16);
        out.v6.sin6_scope_id = v6.sin6_scope_id;
        length = sizeof(sockaddr_in6);
    } else if (storage.ss_family == AF_INET) {
        const auto& v4 = reinterpret_cast<const ::sockaddr_in&>(storage);
        out.v4.sin_family = WS_AF_INET;
        out.v4.sin_port = v4.sin_port;
        out.v4.sin_addr.s_addr = v4.sin_addr.s_addr;
    } else {
        out.v4.sin_family = static_cast<int16_t>(storage.ss_family);
    }
    if (name == nullptr || namelen == nullptr || *namelen < length) {
        WSASetLastError(WSAEFAULT);
        return SOCKET_ERROR;
    }
    std::memcpy(name, &out, static_cast<size_t>(length));
    *namelen = length;
    return 0;
}

int32_t LookupAllAddresses(const std::string& name, std::vector<std::string>& addresses)
{
    addresses.clear();
    if (name.find('\0') != std::string::npos) return WSAHOST_NOT_FOUND;
    ::addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;  // one entry per address
    ::addrinfo* list = nullptr;
    if (const int rc = ::getaddrinfo(name.c_str(), nullptr, &hints, &list); rc != 0) return ResolverErrorOf(rc);
    // Addresses this machine cannot reach are left out, unless none can be reached: a
    // machine without IPv6 then asks its IPv4 server as it always has, with the whole
    // wait, not half of it before an IPv6 address that was bound to fail.
    bool anyRoutable = false;
    for (const ::addrinfo* a = list; a != nullptr && !anyRoutable; a = a->ai_next) anyRoutable = Routable(*a);
    for (const ::addrinfo* a = list; a != nullptr; a = a->ai_next) {
        if (anyRoutable && !Routable(*a)) continue;
        std::string text;
        if (a->ai_family == AF_INET) {
            char quad[INET_ADDRSTRLEN] = "";
            ::inet_ntop(AF_INET, &reinterpret_cast<const ::sockaddr_in*>(a->ai_addr)->sin_addr, quad, sizeof quad);
            text = quad;
        } else if (a->ai_family == AF_INET6) {
            const auto* v6 = reinterpret_cast<const ::sockaddr_in6*>(a->ai_addr);
            text = Address6ToText(reinterpret_cast<const uint8_t*>(&v6->sin6_addr), v6->sin6_scope_id);
        }
        if (!text.empty()) addresses.push_back(text);
    }
    ::freeaddrinfo(list);
    return addresses.empty() ? WSANO_DATA : 0;
}

std::vector<std::string> SystemAddresses6(const std::string& name)
{
    std::vector<std::string> addresses;
    if (name.find('\0') != std::string::npos) return addresses;
    ::addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;  // one entry per address
    ::addrinfo* list = nullptr;
    if (::getaddrinfo(name.c_str(), nullptr, &hints, &list) != 0) return addresses;
    for (const ::addrinfo* a = list; a != nullptr; a = a->ai_next) {
        if (a->ai_family != AF_INET6) continue;
        const auto* v6 = reinterpret_cast<const ::sockaddr_in6*>(a->ai_addr);
        addresses.emplace_back(reinterpret_cast<const char*>(&v6->sin6_addr), 16);
    }
    ::freeaddrinfo(list);
    return addresses;
}

}  // namespace winsock
