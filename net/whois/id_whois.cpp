#include "net/whois/id_whois.h"

#include "net/exchange_settings.h"

TIdWhois::TIdWhois()
{
    Host = DefaultHost;
    Port = DefaultPort;
    Limits = WhoisQueryLimits();
}

std::string TIdWhois::QueryDomain(const std::string& query)
{
    TIdExchangeClock clock(Limits);
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
