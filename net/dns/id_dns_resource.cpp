#include "net/dns/id_dns_resource.h"

#include "runtime/text.h"

std::string TIdDNSResourceList::GetDNSRDataDomainName(int32_t index) const {
    return InRange(index) ? (*this)[index].RData.DomainName : std::string();
}

std::string TIdDNSResourceList::GetDNSMxExchangeNameEx(int32_t index) const {
    if (!InRange(index)) return {};
    const auto& mx = (*this)[index].RData.MX;
    return Format("%5u ", static_cast<unsigned>(mx.Preference)) + mx.Exchange;
}
