#pragma once
#include "net/socket/id_tcp_client.h"

#include <string>

// Asks one whois server one question: connect, send the query line, read until the
// server closes, disconnect.
class TIdWhois : public TIdTCPClient {
public:
    // Port 43; a placeholder Host (every caller sets its own); reads and connects bounded
    // to 30 s so a silent server cannot hang the caller, and a whole query to 120 s so a
    // server that trickles its answer cannot either.
    TIdWhois();

    static constexpr const char* DefaultHost = "whois.norvane.example";
    static constexpr int32_t DefaultPort = 43;
    static constexpr int32_t DefaultTimeout = 30000;
    static constexpr int32_t DefaultQueryTimeout = 120000;

    // The server's whole answer, at most MaxReplySize bytes, within RequestTimeout from
    // the connect to the server's close; the connection is closed also when this raises.
    std::string QueryDomain(const std::string& query);
};
