#pragma once
#include "net/socket/id_global.h"
#include "net/socket/id_tcp_connection.h"

#include <cstdint>
#include <functional>
#include <string>

// Opens a TCP connection to Host:Port.
class TIdTCPClient : public TIdTCPConnection {
public:
    TIdTCPClient();
    ~TIdTCPClient() override;

    std::string BoundIP;   // local address to bind; empty means any
    std::string Host;      // name or dotted quad
    int32_t Port = 0;
    bool UseNagle = true;  // false sets TCP no-delay
    std::function<void(TIdComponent& sender)> OnConnected;

    virtual void DoConnected();
    // EIdAlreadyConnected when open; any failure after the socket exists closes it again.
    virtual void OpenConnection();
    // OpenConnection, ReadUntilClosed, CloseConnection (also on failure).
    std::string ConnectAndGetAll();

private:
    // Limits.ConnectTimeout, cut to what is left of a running exchange clock.
    int32_t BoundedConnectTimeout() const;
};
