#include "net/dns/id_dns_tcp.h"

#include "net/exchange_settings.h"
#include "net/socket/id_tcp_client.h"

namespace {

std::string LengthPrefix(size_t length)
{
    return {static_cast<char>((length >> 8) & 0xFF), static_cast<char>(length & 0xFF)};
}

}  // namespace

std::string ExchangeOverTcp(const std::string& address, int32_t port, const std::string& query, int32_t timeoutMs)
{
    TIdTCPClient client;
    client.Host = address;
    client.Port = port;
    client.Limits = DnsOverTcpLimits(timeoutMs);
    const TIdExchangeClock clock(client.Limits);
    client.OpenConnection();
    const std::string message = LengthPrefix(query.size()) + query;
    client.SendBytes(message.data(), static_cast<int32_t>(message.size()));
    uint8_t length[2] = {};
    client.ReadExact(length, 2);
    std::string reply(static_cast<size_t>(length[0]) << 8 | length[1], '\0');
    client.ReadExact(reply.data(), static_cast<int32_t>(reply.size()));
    client.CloseConnection();
    return reply;
}

bool IsTruncatedReply(const std::string& reply)
{
    return reply.size() >= 4 && (static_cast<uint8_t>(reply[2]) & 0x02) != 0;
}
