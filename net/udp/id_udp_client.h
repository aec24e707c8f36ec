#pragma once
#include "net/udp/id_udp_base.h"

// The UDP component a form holds: Host, Port and ReceiveTimeout are its settings.
class TIdUDPClient : public TIdUDPBase {
public:
    TIdUDPClient() = default;
};
