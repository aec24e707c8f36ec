#pragma once
#include "net/dns/id_dns_message.h"
#include "net/udp/id_udp_client.h"

// Default port and reply wait of the resolver.
inline constexpr int32_t DefaultDNSPort = 53;
inline constexpr int32_t DefaultDNSReceiveTimeout = 4000;

// Asks one server one question over UDP: one datagram out, one datagram in, no retry.
// A reply cut to fit the datagram (TC set) is asked for again of the same server over
// TCP, within ReceiveTimeout; when that fails the cut reply stands.
class TIdDNSResolver : public TIdUDPClient, public TIdDNSMessage {
public:
    TIdDNSResolver();

    // Builds, sends, waits for the reply and decodes it. The reply is decoded even when
    // building, sending or receiving failed (then the previous reply, or nothing): a
    // decoding failure wins, otherwise the earlier failure goes on.
    void Resolve();

    // The last reply came over TCP, after a cut one over UDP.
    bool AnsweredOverTcp = false;

private:
    // Sends the query and waits for its reply; returns the address that was asked last.
    std::string AskEachAddress();
    // The TCP reply to the query, or the cut one when TCP gives no whole reply to it.
    void AskAgainOverTcp(const std::string& server);
};
