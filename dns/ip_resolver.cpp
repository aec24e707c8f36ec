#include "dns/ip_resolver.h"

#include "platform/address6.h"

TReverseLookup ResolveIpAddress(IHostResolver& resolver, const std::string& field)
{
    winsock::sockaddr_in6 six{};
    if (field.find(':') != std::string::npos && winsock::TextToAddress6(field, six))
        return ReverseLookup(resolver, reinterpret_cast<const char*>(six.sin6_addr), 16, winsock::WS_AF_INET6);
    const uint32_t address = winsock::inet_addr(field.c_str());
    return ReverseLookup(resolver, reinterpret_cast<const char*>(&address), sizeof address, winsock::WS_AF_INET);
}

std::string ResolveIpField(IHostResolver& resolver, const std::string& field, const std::string& shown)
{
    const TReverseLookup result = ResolveIpAddress(resolver, field);
    if (result.Status == ReverseFound || result.Status == ReverseNoRecord) return result.Text;
    return shown;
}
