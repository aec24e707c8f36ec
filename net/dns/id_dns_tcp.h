#pragma once
#include <cstdint>
#include <string>

// A DNS message over TCP: the query with its two-byte length in front, the reply read the
// same way (RFC 7766). Connect, each wait and the whole exchange are bounded by timeoutMs.
// Raises what the TCP connection raises.
std::string ExchangeOverTcp(const std::string& address, int32_t port, const std::string& query, int32_t timeoutMs);

// The reply says it was cut to fit a datagram (TC set).
bool IsTruncatedReply(const std::string& reply);
