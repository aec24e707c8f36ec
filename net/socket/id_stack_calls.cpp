#include "net/socket/id_stack.h"

#include "net/socket/id_socket_address.h"

#include "platform/winsock.h"

#include <cstring>

// The thin forwarders of TIdStackWinsock to the platform calls, with the conversion of
// addresses between text and the platform's structure.
uint16_t TIdStackWinsock::HToNS(uint16_t value) { return (winsock::htons)(value); }
uint16_t TIdStackWinsock::NToHS(uint16_t value) { return (winsock::ntohs)(value); }
uint32_t TIdStackWinsock::HToNL(uint32_t value) { return (winsock::htonl)(value); }
uint32_t TIdStackWinsock::NToHL(uint32_t value) { return (winsock::ntohl)(value); }

// Only a local address may be left empty (any local address); an empty destination is
// converted like any other text and so refused, rather than reaching 0.0.0.0, which this
// platform takes for the local machine. Addresses are of either family (id_socket_address.h).

int32_t TIdStackWinsock::WSBind(int32_t socket, int32_t family, const std::string& ip, int32_t port)
{
    winsock::sockaddr_any addr;
    const int32_t length = MakeSocketAddress(*this, family, ip, port, true, addr);
    return winsock::bind(socket, reinterpret_cast<const winsock::sockaddr*>(&addr), length);
}

int32_t TIdStackWinsock::WSCloseSocket(int32_t socket) { return winsock::closesocket(socket); }

int32_t TIdStackWinsock::WSConnect(int32_t socket, int32_t family, const std::string& ip, int32_t port)
{
    winsock::sockaddr_any addr;
    const int32_t length = MakeSocketAddress(*this, family, ip, port, false, addr);
    return winsock::connect(socket, reinterpret_cast<const winsock::sockaddr*>(&addr), length);
}

int32_t TIdStackWinsock::WSRecv(int32_t socket, void* buffer, int32_t length, int32_t flags)
{
    return winsock::recv(socket, static_cast<char*>(buffer), length, flags);
}

int32_t TIdStackWinsock::WSRecvFrom(int32_t socket, void* buffer, int32_t length, int32_t flags,
                                    std::string& ip, int32_t& port)
{
    winsock::sockaddr_any addr{};
    int32_t addrLen = sizeof addr;
    const int32_t result = winsock::recvfrom(socket, static_cast<char*>(buffer), length, flags,
                                             reinterpret_cast<winsock::sockaddr*>(&addr), &addrLen);
    // A datagram cut short still names its sender.
    if (result >= 0 || LastSocketErrorCode() == Id_WSAEMSGSIZE) {
        int32_t family = 0;
        SplitSocketAddress(*this, addr, family, ip, port);
    }
    return result;
}

int32_t TIdStackWinsock::WSSend(int32_t socket, const void* buffer, int32_t length, int32_t flags)
{
    return winsock::send(socket, static_cast<const char*>(buffer), length, flags);
}

int32_t TIdStackWinsock::WSSendTo(int32_t socket, const void* buffer, int32_t length, int32_t flags,
                                  const std::string& ip, int32_t port)
{
    winsock::sockaddr_any addr;
    const int32_t addrLength = MakeSocketAddress(*this, AddressFamilyOf(ip), ip, port, false, addr);
    return winsock::sendto(socket, static_cast<const char*>(buffer), length, flags,
                           reinterpret_cast<const winsock::sockaddr*>(&addr), addrLength);
}

int32_t TIdStackWinsock::WSSetSockOpt(int32_t socket, int32_t level, int32_t name, const void* value,
                                      int32_t length)
{
    return winsock::setsockopt(socket, level, name, static_cast<const char*>(value), length);
}

int32_t TIdStackWinsock::WSSocket(int32_t family, int32_t type, int32_t protocol)
{
    return winsock::socket(family, type, protocol);
}

int32_t TIdStackWinsock::WSShutdown(int32_t socket, int32_t how) { return winsock::shutdown(socket, how); }

void TIdStackWinsock::WSGetPeerName(int32_t socket, int32_t& family, std::string& ip, int32_t& port)
{
    winsock::sockaddr_any addr{};
    int32_t addrLen = sizeof addr;
    CheckSocketResult(winsock::getpeername(socket, reinterpret_cast<winsock::sockaddr*>(&addr), &addrLen));
    SplitSocketAddress(*this, addr, family, ip, port);
}

void TIdStackWinsock::WSGetSockName(int32_t socket, int32_t& family, std::string& ip, int32_t& port)
{
    winsock::sockaddr_any addr{};
    int32_t addrLen = sizeof addr;
    CheckSocketResult(winsock::getsockname(socket, reinterpret_cast<winsock::sockaddr*>(&addr), &addrLen));
    SplitSocketAddress(*this, addr, family, ip, port);
}

int32_t TIdStackWinsock::WSSetNonBlocking(int32_t socket, bool nonBlocking)
{
    uint32_t value = nonBlocking ? 1 : 0;
    return winsock::ioctlsocket(socket, winsock::WS_FIONBIO, &value);
}

int32_t TIdStackWinsock::WSPendingError(int32_t socket)
{
    int32_t value = 0;
    int32_t length = sizeof value;
    if (winsock::getsockopt(socket, winsock::WS_SOL_SOCKET, winsock::WS_SO_ERROR,
                            reinterpret_cast<char*>(&value), &length) != 0)
        return LastSocketErrorCode();
    return value;
}
