#pragma once
#include "net/socket/id_global.h"

#include <cstdint>
#include <string>

// One socket with its local and remote address, used by the TCP and UDP paths. Created
// closed; destroying an open handle closes it.
class TIdSocketHandle {
public:
    TIdSocketHandle();
    ~TIdSocketHandle();
    TIdSocketHandle(const TIdSocketHandle&) = delete;
    TIdSocketHandle& operator=(const TIdSocketHandle&) = delete;

    // Copies IP, Port, RemoteIP and RemotePort, never the descriptor.
    void Assign(const TIdSocketHandle& source);

    // Closes what is open, then opens a new socket of the family (EIdInvalidSocket when
    // refused).
    void Allocate(int32_t type, int32_t protocol, int32_t family = Id_PF_INET);
    // Shuts down sending and closes; nothing when not allocated.
    void Close(bool resetLocal);
    void Clear(bool resetLocal);

    // Binds IP:Port (empty IP = any address of the socket's family, 0 = any port);
    // EIdCouldNotBindSocket when in use.
    void BindLocal();
    void SetRemote(const std::string& ip, int32_t port);
    // Connects to RemoteIP:RemotePort and returns the platform's result unchecked. With a
    // time limit the connect gives up after timeoutMs with -1 and the last error 10060.
    int32_t ConnectRemote(int32_t family, int32_t timeoutMs = WaitForever);
    void RefreshLocal();
    void RefreshRemote();

    int32_t SendData(const void* buffer, int32_t length, int32_t flags);
    int32_t ReceiveData(void* buffer, int32_t length, int32_t flags);
    // Raises EIdPackageSizeTooBig, EIdNotAllBytesSent or EIdSocketError.
    void SendDatagram(const std::string& ip, int32_t port, const void* buffer, int32_t length);
    int32_t ReceiveDatagram(void* buffer, int32_t length, int32_t flags, std::string& peerIP,
                            int32_t& peerPort);
    void SetOption(int32_t level, int32_t name, const void* value, int32_t length);
    // Raises EIdConnClosedGracefully when not allocated; false on time-out or failure.
    bool WaitReadable(int32_t timeoutMs);
    // The same wait, telling a time-out (0) from a failure (-1, the reason in the stack's
    // last error); 1 when readable.
    int32_t Readable(int32_t timeoutMs);

    int32_t SocketId = Id_INVALID_SOCKET;
    bool Allocated = false;
    int32_t Family = Id_PF_INET;  // of the socket last allocated
    std::string IP;
    std::string RemoteIP;
    int32_t Port = 0;
    int32_t RemotePort = 0;

private:
    // Waits until the socket is readable, or writable (or failed) when not `readable`:
    // select's result. With the idle-time hook the wait is sliced; when it is stopped the
    // socket is closed and EIdStopped raised.
    int32_t Select(bool readable, int32_t timeoutMs);
};
