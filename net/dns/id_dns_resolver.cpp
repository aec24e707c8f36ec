#include "net/dns/id_dns_resolver.h"

#include "net/dns/id_dns_tcp.h"
#include "net/socket/id_exceptions.h"
#include "net/socket/id_shared_bound.h"
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
    // A server named by its host name is asked at each of its addresses in turn, within
    // the one wait for a reply: each address but the last gets an equal share of what is
    // left, so that a silent first address does not lose a server that answers on its
    // second. A single address, or no bound, is asked as always.
    const std::vector<std::string> servers = GSocketStack->HostToAddresses(Host);
    if (servers.size() <= 1 || ReceiveTimeout <= 0) {
        const std::string server = servers.empty() ? GSocketStack->HostToAddress(Host) : servers.front();
        SendTextTo(server, Port, QueryPacket);
        ReplyPacket = ReceiveText();
        return server;
    }
    const TIdSharedBound bound(ReceiveTimeout);
    std::exception_ptr firstFailure;
    for (size_t i = 0; i < servers.size(); ++i) {
        try {
            SendTextTo(servers[i], Port, QueryPacket);
            ReplyPacket = ReceiveText(bound.ShareFor(servers.size() - i));
            if (!ReplyPacket.empty()) return servers[i];
        } catch (const EIdSocketError&) {
            if (i == 0) firstFailure = std::current_exception();
        }
    }
    // None answered: the first address's outcome stands, as when it was the only one
    // asked (a machine without IPv6 sees its IPv4 server's silence, not that an IPv6
    // address after it is unusable).
    if (firstFailure) std::rethrow_exception(firstFailure);
    ReplyPacket.clear();
    return servers.front();
}

void TIdDNSResolver::AskAgainOverTcp(const std::string& server) {
    std::string reply;
    try {
        reply = ExchangeOverTcp(server, Port, QueryPacket, ReceiveTimeout);
    } catch (const EIdStopped&) {
        throw;
    } catch (...) {
        return;  // the cut reply is shown as it came
    }
    // Only a whole reply to this very query replaces the cut one.
    if (reply.size() < 12 || reply.compare(0, 2, QueryPacket, 0, 2) != 0 || IsTruncatedReply(reply)) return;
    ReplyPacket = reply;
    AnsweredOverTcp = true;
}
