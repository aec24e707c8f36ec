#pragma once
#include "net/dns/id_dns_message.h"
#include "net/udp/id_udp_client.h"

// Default port and reply wait of the resolver.
inline constexpr int32_t DefaultDNSPort = 53;
inline constexpr int32_t DefaultDNSReceiveTimeout = 4000;

// Asks one server one question over UDP: one datagram out, one datagram in, no retry.
class TIdDNSResolver : public TIdUDPClient, public TIdDNSMessage {
public:
    TIdDNSResolver();

    // Builds, sends, waits for the reply and decodes it. The reply is decoded even when
    // building, sending or receiving failed (then the previous reply, or nothing): a
    // decoding failure wins, otherwise the earlier failure goes on.
    void Resolve();
};
