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
    std::string Host;      // name, dotted quad or IPv6 address
    int32_t Port = 0;
    bool UseNagle = true;  // false sets TCP no-delay
    std::function<void(TIdComponent& sender)> OnConnected;

    virtual void DoConnected();
    // EIdAlreadyConnected when open; any failure after a socket exists closes it again.
    // A name's addresses are tried in the system's order until one connects, all of
    // them within Limits.ConnectTimeout, each but the last with its share of what is left;
    // when none connects, the first address's failure is raised.
    virtual void OpenConnection();
    // OpenConnection, ReadUntilClosed, CloseConnection (also on failure).
    std::string ConnectAndGetAll();

private:
    // One connect to one address, the socket closed again when it fails.
    void ConnectTo(const std::string& address, int32_t timeoutMs);
    // A connect bound cut to what is left of a running exchange clock.
    int32_t BoundedConnectTimeout(int32_t connectTimeout) const;
};
