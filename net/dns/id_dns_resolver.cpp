#include "net/dns/id_dns_resolver.h"

#include "net/dns/id_dns_tcp.h"
#include "net/socket/id_exceptions.h"
#include "net/socket/id_stack.h"

#include <exception>
#include <vector>

TIdDNSResolver::TIdDNSResolver() {
    Port = DefaultDNSPort;
    ReceiveTimeout = DefaultDNSReceiveTimeout;
}

void TIdDNSResolver::Resolve() {
    std::exception_ptr exchangeFailure;
    AnsweredOverTcp = false;
    try {
        BuildQuery();
        const std::string server = AskEachAddress();
        if (IsTruncatedReply(ReplyPacket)) AskAgainOverTcp(server);
    } catch (...) {
        exchangeFailure = std::current_exception();
    }
    DecodeReply();
    if (exchangeFailure) std::rethrow_exception(exchangeFailure);
}

std::string TIdDNSResolver::AskEachAddress() {
    // A server named by its host name is asked at each of its addresses in turn, until
    // one answers; the address that answered is the one a retry over TCP asks.
    const std::vector<std::string> servers = GSocketStack->HostToAddresses(Host);
    for (size_t i = 0; i + 1 < servers.size(); ++i) {
        try {
            SendTextTo(servers[i], Port, QueryPacket);
            ReplyPacket = ReceiveText();
            if (!ReplyPacket.empty()) return servers[i];
        } catch (const EIdSocketError&) {
            // this address cannot be reached: the next one is asked
        }
    }
    const std::string last = servers.empty() ? GSocketStack->HostToAddress(Host) : servers.back();
    SendTextTo(last, Port, QueryPacket);
    ReplyPacket = ReceiveText();
    return last;
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
