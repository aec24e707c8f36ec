#include "net/socket/id_socket_address.h"

#include "net/socket/id_anti_freeze.h"
#include "net/socket/id_global.h"
#include "net/socket/id_stack.h"
#include "runtime/text.h"

#include <cstring>
#include <memory>

bool IsIPv6Address(const std::string& text)
{
    winsock::sockaddr_in6 parsed{};
    return text.find(':') != std::string::npos && winsock::TextToAddress6(text, parsed);
}

int32_t AddressFamilyOf(const std::string& ip) { return IsIPv6Address(ip) ? Id_PF_INET6 : Id_PF_INET; }

int32_t MakeSocketAddress(TIdStack& stack, int32_t family, const std::string& ip, int32_t port, bool emptyMeansAny,
                          winsock::sockaddr_any& out)
{
    std::memset(&out, 0, sizeof out);
    if (family == Id_PF_INET6) {
        out.v6.sin6_family = static_cast<int16_t>(family);
        // Other text is converted as IPv4 (EConvertError as ever) and taken in its mapped
        // IPv6 form, so that it never becomes the unspecified address, the local machine.
        if ((!ip.empty() || !emptyMeansAny) && !winsock::TextToAddress6(ip, out.v6)) {
            const std::array<uint8_t, 4> bytes = stack.TextToAddress(ip);
            out.v6.sin6_addr[10] = out.v6.sin6_addr[11] = 0xFF;
            std::memcpy(out.v6.sin6_addr + 12, bytes.data(), 4);
        }
        out.v6.sin6_port = stack.HToNS(static_cast<uint16_t>(port));
        return sizeof out.v6;
    }
    out.v4.sin_family = static_cast<int16_t>(family);
    out.v4.sin_port = stack.HToNS(static_cast<uint16_t>(port));
    if (ip.empty() && emptyMeansAny) {
        out.v4.sin_addr.s_addr = winsock::WS_INADDR_ANY;
    } else {
        const std::array<uint8_t, 4> bytes = stack.TextToAddress(ip);
        std::memcpy(&out.v4.sin_addr.s_addr, bytes.data(), 4);
    }
    return sizeof out.v4;
}

void SplitSocketAddress(TIdStack& stack, const winsock::sockaddr_any& addr, int32_t& family, std::string& ip,
                        int32_t& port)
{
    family = addr.v4.sin_family;
    if (family == Id_PF_INET6) {
        ip = winsock::Address6ToText(addr.v6.sin6_addr, addr.v6.sin6_scope_id);
        port = stack.NToHS(addr.v6.sin6_port);
        return;
    }
    std::array<uint8_t, 4> bytes;
    std::memcpy(bytes.data(), &addr.v4.sin_addr.s_addr, 4);
    ip = stack.AddressToText(bytes);
    port = stack.NToHS(addr.v4.sin_port);
}

std::vector<std::string> TIdStack::HostToAddresses(const std::string& host)
{
    if (SameText(host, "LOCALHOST") || IsDottedQuad(host) || IsIPv6Address(host)) return {HostToAddress(host)};
    return LookupHostAddresses(host);
}

std::vector<std::string> TIdStack::LookupHostAddresses(const std::string& name) { return {LookupHostByName(name)}; }

std::vector<std::string> TIdStackWinsock::LookupHostAddresses(const std::string& name)
{
    const auto addresses = std::make_shared<std::vector<std::string>>();
    const auto error = std::make_shared<int32_t>(0);
    RunBlockingCall([addresses, error, name] { *error = winsock::LookupAllAddresses(name, *addresses); });
    if (*error == 0) return *addresses;
    // Raised with the resolver's own number (11001-11004), as the IPv4 lookup did: asking
    // again only to learn it would double the wait for a name that does not resolve.
    winsock::WSASetLastError(*error);
    CheckSocketResult(Id_SOCKET_ERROR);
    return {};
}
