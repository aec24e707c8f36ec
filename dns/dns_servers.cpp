#include "dns/dns_servers.h"

#include "net/dns/id_dns_resource.h"
#include "platform/profile.h"
#include "runtime/text.h"

#include <cstring>
#include <memory>
#include <new>

namespace {

// A zero-filled block of `size` bytes; null when it cannot be had.
std::unique_ptr<unsigned char[]> ZeroedBlock(uint32_t size)
{
    if (size > kMaxFixedInfoBlock) return nullptr;
    return std::unique_ptr<unsigned char[]>(new (std::nothrow) unsigned char[size == 0 ? 1 : size]());
}

}  // namespace

std::string LoadDefaultDnsServer(const TErrorReporter& showError, const TNetworkParamsCall& getNetworkParams)
{
    uint32_t size = kFirstFixedInfoBlock;
    std::unique_ptr<unsigned char[]> block = ZeroedBlock(size);
    // The block is raw storage for the record, as the platform call expects.
    auto* info = reinterpret_cast<FixedInfo*>(block.get());
    if (getNetworkParams(info, &size) == kErrorBufferOverflow) {
        block.reset();
        block = ZeroedBlock(size);
        if (!block) {
            showError("Erreur d'allocation m\xE9moire pour FIXED_INFO");
            return "";
        }
        info = reinterpret_cast<FixedInfo*>(block.get());
    }
    const uint32_t code = getNetworkParams(info, &size);
    if (code != 0) {
        showError(Format("Echec de GetNetworkParams, code erreur n\xB0 %08x\n", code));
        return "";
    }
    return std::string(info->DnsServerIpAddress, strnlen(info->DnsServerIpAddress, sizeof info->DnsServerIpAddress));
}

std::string LoadDefaultDnsServer(const TErrorReporter& showError, const std::string& resolverConfig)
{
    return LoadDefaultDnsServer(showError, [&resolverConfig](FixedInfo* info, uint32_t* size) {
        return GetNetworkParams(info, size, resolverConfig);
    });
}

std::string SelectDnsServer(const TIdDNSResourceList& answers, const std::string& domain, const std::string& appDir)
{
    for (int32_t i = 0; i < answers.Count(); ++i)
        if (!answers[i].RData.DomainName.empty()) return answers[i].RData.DomainName;
    const std::string lower = LowerCase(domain);
    const size_t dot = lower.rfind('.');
    if (dot == std::string::npos) return "";
    return GetPrivateProfileString(lower.substr(dot + 1), "server1", "", appDir + "dns.dat");
}
