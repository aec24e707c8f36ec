#include "dns/ip_resolver.h"

std::string ResolveIpField(IHostResolver& resolver, const std::string& field, const std::string& shown)
{
    const uint32_t address = winsock::inet_addr(field.c_str());
    const TReverseLookup result =
        ReverseLookup(resolver, reinterpret_cast<const char*>(&address), sizeof address, winsock::WS_AF_INET);
    if (result.Status == ReverseFound || result.Status == ReverseNoRecord) return result.Text;
    return shown;
}
