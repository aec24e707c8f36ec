#include "net/exchange_settings.h"

namespace {

constexpr int32_t ServerSilence = 30000;
constexpr int32_t WholeExchange = 120000;

TIdExchangeLimits Bounded(int32_t silence, int32_t whole)
{
    TIdExchangeLimits limits;
    limits.ConnectTimeout = silence;
    limits.ReadTimeout = silence;
    limits.RequestTimeout = whole;
    return limits;
}

}  // namespace

TIdExchangeLimits WhoisQueryLimits() { return Bounded(ServerSilence, WholeExchange); }

TIdExchangeLimits UpdateCheckLimits() { return Bounded(ServerSilence, WholeExchange); }

TIdExchangeLimits DnsOverTcpLimits(int32_t receiveTimeout) { return Bounded(receiveTimeout, receiveTimeout); }
