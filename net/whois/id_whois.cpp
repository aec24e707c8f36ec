#include "net/whois/id_whois.h"

TIdWhois::TIdWhois()
{
    Host = DefaultHost;
    Port = DefaultPort;
    ReadTimeout = DefaultTimeout;
    ConnectTimeout = DefaultTimeout;
    RequestTimeout = DefaultQueryTimeout;
}

std::string TIdWhois::QueryDomain(const std::string& query)
{
    TIdExchangeClock clock(*this);
    OpenConnection();
    std::string reply;
    try {
        SendLine(query);
        reply = ReadUntilClosed();
    } catch (...) {
        CloseConnection();
        throw;
    }
    CloseConnection();
    return reply;
}
