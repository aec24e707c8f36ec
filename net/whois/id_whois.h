#pragma once
#include "net/socket/id_tcp_client.h"

#include <string>

// Asks one whois server one question: connect, send the query line, read until the
// server closes, disconnect.
class TIdWhois : public TIdTCPClient {
public:
    // Port 43; a placeholder Host (every caller sets its own); the bounds of a whois query
    // (WhoisQueryLimits).
    TIdWhois();

    static constexpr const char* DefaultHost = "whois.norvane.example";
    static constexpr int32_t DefaultPort = 43;

    // The server's whole answer, at most Limits.MaxReplySize bytes, within
    // Limits.RequestTimeout from the connect to the server's close; the connection is
    // closed also when this raises.
    std::string QueryDomain(const std::string& query);
};
