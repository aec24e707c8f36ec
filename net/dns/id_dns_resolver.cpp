#include "net/dns/id_dns_resolver.h"

#include <exception>

TIdDNSResolver::TIdDNSResolver() {
    Port = DefaultDNSPort;
    ReceiveTimeout = DefaultDNSReceiveTimeout;
}

void TIdDNSResolver::Resolve() {
    std::exception_ptr exchangeFailure;
    try {
        BuildQuery();
        SendText(QueryPacket);
        ReplyPacket = ReceiveText();
    } catch (...) {
        exchangeFailure = std::current_exception();
    }
    DecodeReply();
    if (exchangeFailure) std::rethrow_exception(exchangeFailure);
}
