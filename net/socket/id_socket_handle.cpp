#include "net/socket/id_socket_handle.h"

#include "net/socket/id_anti_freeze.h"
#include "net/socket/id_exceptions.h"
#include "net/socket/id_socket_address.h"
#include "net/socket/id_stack.h"

#include <algorithm>
#include <vector>

TIdSocketHandle::TIdSocketHandle()
{
    Clear(true);
}

TIdSocketHandle::~TIdSocketHandle()
{
    // A destructor must not raise; Close ignores the platform's results anyway.
    try {
        Close(true);
    } catch (...) {
    }
}

void TIdSocketHandle::Assign(const TIdSocketHandle& source)
{
    IP = source.IP;
    Port = source.Port;
    RemoteIP = source.RemoteIP;
    RemotePort = source.RemotePort;
}

void TIdSocketHandle::Allocate(int32_t type, int32_t protocol, int32_t family)
{
    Close(true);
    SocketId = GSocketStack->OpenSocket(type, protocol, family);
    Family = family;
    Allocated = true;
}

void TIdSocketHandle::Close(bool resetLocal)
{
    if (!Allocated) return;
    Allocated = false;
    GSocketStack->WSShutdown(SocketId, Id_SD_Send);
    GSocketStack->WSCloseSocket(SocketId);
    Clear(resetLocal);
}

void TIdSocketHandle::Clear(bool resetLocal)
{
    Allocated = false;
    SocketId = Id_INVALID_SOCKET;
    if (resetLocal) {
        IP.clear();
        Port = 0;
    }
    RemoteIP.clear();
    RemotePort = 0;
}

void TIdSocketHandle::BindLocal()
{
    if (GSocketStack->CheckSocketResult(GSocketStack->WSBind(SocketId, Family, IP, Port),
                                        {Id_WSAEADDRINUSE}))
        throw EIdCouldNotBindSocket();
    RefreshLocal();
}

void TIdSocketHandle::SetRemote(const std::string& ip, int32_t port)
{
    RemoteIP = ip;
    RemotePort = port;
}

int32_t TIdSocketHandle::ConnectRemote(int32_t family, int32_t timeoutMs)
{
    TIdStack& stack = *GSocketStack;
    int32_t result;
    // With the idle-time hook even a connect without limit waits in slices.
    if (timeoutMs < 0 && TIdAntiFreezeBase::Instance() == nullptr) {
        result = stack.WSConnect(SocketId, family, RemoteIP, RemotePort);
    } else {
        // A bounded connect: start it without blocking, wait for the outcome, then put
        // the socket back into blocking mode (keeping the connect's error for the caller).
        // A remote address that does not convert raises before the mode is touched.
        if (!IsIPv6Address(RemoteIP)) stack.TextToAddress(RemoteIP);
        stack.CheckSocketResult(stack.WSSetNonBlocking(SocketId, true));
        result = stack.WSConnect(SocketId, family, RemoteIP, RemotePort);
        if (result == Id_SOCKET_ERROR) {
            const int32_t started = stack.LastSocketErrorCode();
            if (started == Id_WSAEWOULDBLOCK || started == Id_WSAEINPROGRESS) {
                const int32_t ready = Select(false, timeoutMs);
                int32_t code = started;
                if (ready == 0) {
                    code = Id_WSAETIMEDOUT;
                } else if (ready > 0) {
                    code = stack.WSPendingError(SocketId);
                } else {
                    code = stack.LastSocketErrorCode();
                }
                result = code == 0 ? 0 : Id_SOCKET_ERROR;
                stack.SetLastSocketErrorCode(code);
            }
        }
        const int32_t connectError = stack.LastSocketErrorCode();
        stack.WSSetNonBlocking(SocketId, false);
        stack.SetLastSocketErrorCode(connectError);
    }
    if (result != Id_SOCKET_ERROR) {
        RefreshLocal();
        RefreshRemote();
    }
    return result;
}

void TIdSocketHandle::RefreshLocal()
{
    int32_t family = 0;
    GSocketStack->WSGetSockName(SocketId, family, IP, Port);
}

void TIdSocketHandle::RefreshRemote()
{
    int32_t family = 0;
    GSocketStack->WSGetPeerName(SocketId, family, RemoteIP, RemotePort);
}

int32_t TIdSocketHandle::SendData(const void* buffer, int32_t length, int32_t flags)
{
    // With the idle-time hook, the wait for room to send is sliced; without it the send
    // blocks as it always has.
    if (TIdAntiFreezeBase::Instance() != nullptr && Select(false, WaitForever) < 0) return Id_SOCKET_ERROR;
    return GSocketStack->WSSend(SocketId, buffer, length, flags);
}

int32_t TIdSocketHandle::ReceiveData(void* buffer, int32_t length, int32_t flags)
{
    return GSocketStack->WSRecv(SocketId, buffer, length, flags);
}

void TIdSocketHandle::SendDatagram(const std::string& ip, int32_t port, const void* buffer, int32_t length)
{
    TIdStack& stack = *GSocketStack;
    const int32_t result = stack.WSSendTo(SocketId, buffer, length, 0, ip, port);
    if (result == Id_SOCKET_ERROR) {
        if (stack.LastSocketErrorCode() == Id_WSAEMSGSIZE) throw EIdPackageSizeTooBig();
        stack.CheckSocketResult(result);
    }
    if (result != length) throw EIdNotAllBytesSent();
}

int32_t TIdSocketHandle::ReceiveDatagram(void* buffer, int32_t length, int32_t flags, std::string& peerIP,
                                         int32_t& peerPort)
{
    return GSocketStack->WSRecvFrom(SocketId, buffer, length, flags, peerIP, peerPort);
}

void TIdSocketHandle::SetOption(int32_t level, int32_t name, const void* value, int32_t length)
{
    GSocketStack->CheckSocketResult(GSocketStack->WSSetSockOpt(SocketId, level, name, value, length));
}

bool TIdSocketHandle::WaitReadable(int32_t timeoutMs)
{
    return Readable(timeoutMs) == 1;
}

int32_t TIdSocketHandle::Readable(int32_t timeoutMs)
{
    if (!Allocated) throw EIdConnClosedGracefully();
    const int32_t result = Select(true, timeoutMs);
    return result < 0 ? Id_SOCKET_ERROR : std::min(result, 1);
}

int32_t TIdSocketHandle::Select(bool readable, int32_t timeoutMs)
{
    try {
        return SlicedWait(timeoutMs, [this, readable](int32_t sliceMs) {
            std::vector<int32_t> one{SocketId};
            std::vector<int32_t> error{SocketId};
            if (readable) return GSocketStack->SelectSockets(&one, nullptr, nullptr, sliceMs);
            return GSocketStack->SelectSockets(nullptr, &one, &error, sliceMs);
        });
    } catch (const EIdStopped&) {
        // Nothing more may come through a stopped exchange.
        Close(true);
        throw;
    }
}
