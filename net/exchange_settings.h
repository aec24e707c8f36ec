#pragma once
#include "net/socket/id_exchange_limits.h"

// The bounds of the program's own exchanges, in one place.

// A whois query (the main window, norvane-cli whois): the connect and every silence 30 s,
// the whole query 120 s, so that neither a silent server nor one that trickles its answer
// can hang the caller.
TIdExchangeLimits WhoisQueryLimits();

// One check of the update dialog ("Mise à jour", norvane-cli update): the connect and
// every silence within a reply 30 s, the check 120 s in all, however the server paces it.
TIdExchangeLimits UpdateCheckLimits();

// A DNS question asked again over TCP after a reply cut to fit a datagram: the connect,
// every silence and the whole exchange within the resolver's own wait for a reply.
TIdExchangeLimits DnsOverTcpLimits(int32_t receiveTimeout);
