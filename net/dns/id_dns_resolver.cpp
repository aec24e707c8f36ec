#include "net/dns/id_dns_resolver.h"

#include "net/dns/id_dns_tcp.h"
#include "net/socket/id_stack.h"

#include <exception>

TIdDNSResolver::TIdDNSResolver() {
    Port = DefaultDNSPort;
    ReceiveTimeout = DefaultDNSReceiveTimeout;
}

void TIdDNSResolver::Resolve() {
    std::exception_ptr exchangeFailure;
    AnsweredOverTcp = false;
    try {
        BuildQuery();
        // Resolved once, so that a retry over TCP asks the very server that answered.
        const std::string server = GSocketStack->HostToAddress(Host);
        SendTextTo(server, Port, QueryPacket);
        ReplyPacket = ReceiveText();
        if (IsTruncatedReply(ReplyPacket)) AskAgainOverTcp(server);
    } catch (...) {
        exchangeFailure = std::current_exception();
    }
    DecodeReply();
    if (exchangeFailure) std::rethrow_exception(exchangeFailure);
}

void TIdDNSResolver::AskAgainOverTcp(const std::string& server) {
    std::string reply;
    try {
        reply = ExchangeOverTcp(server, Port, QueryPacket, ReceiveTimeout);
    } catch (...) {
        return;  // the cut reply is shown as it came
    }
    // Only a whole reply to this very query replaces the cut one.
    if (reply.size() < 12 || reply.compare(0, 2, QueryPacket, 0, 2) != 0 || IsTruncatedReply(reply)) return;
    ReplyPacket = reply;
    AnsweredOverTcp = true;
}
