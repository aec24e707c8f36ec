#pragma once
#include "net/socket/id_component.h"
#include "net/socket/id_global.h"
#include "net/socket/id_socket_handle.h"

#include <cstdint>
#include <memory>
#include <string>

// Time-out value that stands for the component's ReceiveTimeout.
inline constexpr int32_t UseDefaultTimeout = -1;
// Receive area of the text receive operations, in bytes.
inline constexpr int32_t DefaultUDPBufferSize = 8192;

// Single UDP datagrams over a datagram socket that opens on first use and is never bound
// explicitly (the platform picks the local port at the first send). The socket is IPv4
// unless a datagram goes to an IPv6 address; it is opened again when the family changes.
class TIdUDPBase : public TIdComponent {
public:
    TIdUDPBase();
    ~TIdUDPBase() override;

    std::unique_ptr<TIdSocketHandle> SocketHandle;  // absent until first use
    int32_t BufferSize = DefaultUDPBufferSize;
    bool ActivePending = false;  // Active as set while loading, applied by Loaded
    std::string Host;
    int32_t Port = 0;
    int32_t ReceiveTimeout = WaitForever;

    virtual void ReleaseSocket();
    virtual bool IsActive() const;
    virtual TIdSocketHandle& EnsureSocket();
    // The socket, (re)opened for `family` when it is closed or of the other family.
    TIdSocketHandle& EnsureSocket(int32_t family);
    void SetActive(bool value);
    bool GetBroadcastEnabled() const { return FBroadcastEnabled; }
    void SetBroadcastEnabled(bool value);

    void SendText(const std::string& data);
    void SendTextTo(const std::string& host, int32_t port, const std::string& data);
    void SendBytesTo(const std::string& host, int32_t port, const void* buffer, int32_t count);

    // One datagram into buffer: its size, or 0 when the time-out passed (peerIP empty,
    // peerPort 0). A datagram longer than size fails with the "message too long" socket
    // error; an empty one with EIdUDPReceiveErrorZeroBytes.
    int32_t ReceiveBytes(void* buffer, int32_t size, std::string& peerIP, int32_t& peerPort,
                         int32_t timeout = UseDefaultTimeout);
    // One datagram of at most BufferSize bytes; empty when the time-out passed.
    std::string ReceiveText(std::string& peerIP, int32_t& peerPort,
                            int32_t timeout = UseDefaultTimeout);
    std::string ReceiveText(int32_t timeout = UseDefaultTimeout);

    void Loaded() override;

protected:
    // Applies BroadcastEnabled to the open socket.
    virtual void BroadcastChanged();

private:
    bool FBroadcastEnabled = false;
};
