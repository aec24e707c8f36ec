#include "net/socket/id_stack.h"

#include "platform/winsock.h"

#include <cstring>

// The thin forwarders of TIdStackWinsock to the platform calls, with the conversion of
// addresses between text and the platform's structure.
uint16_t TIdStackWinsock::HToNS(uint16_t value) { return (winsock::htons)(value); }
uint16_t TIdStackWinsock::NToHS(uint16_t value) { return (winsock::ntohs)(value); }
uint32_t TIdStackWinsock::HToNL(uint32_t value) { return (winsock::htonl)(value); }
uint32_t TIdStackWinsock::NToHL(uint32_t value) { return (winsock::ntohl)(value); }

namespace {

// Only a local address may be left empty (any local address); an empty destination is
// converted like any other text and so refused, rather than reaching 0.0.0.0, which this
// platform takes for the local machine.
winsock::sockaddr_in MakeAddress(TIdStack& stack, int32_t family, const std::string& ip, int32_t port,
                                 bool emptyMeansAny)
{
    winsock::sockaddr_in addr{};
    addr.sin_family = static_cast<int16_t>(family);
    addr.sin_port = stack.HToNS(static_cast<uint16_t>(port));
    if (ip.empty() && emptyMeansAny) {
        addr.sin_addr.s_addr = winsock::WS_INADDR_ANY;
    } else {
        const std::array<uint8_t, 4> bytes = stack.TextToAddress(ip);
        std::memcpy(&addr.sin_addr.s_addr, bytes.data(), 4);
    }
    return addr;
}

void SplitAddress(TIdStack& stack, const winsock::sockaddr_in& addr, int32_t& family, std::string& ip,
                  int32_t& port)
{
    std::array<uint8_t, 4> bytes;
    std::memcpy(bytes.data(), &addr.sin_addr.s_addr, 4);
    family = addr.sin_family;
    ip = stack.AddressToText(bytes);
    port = stack.NToHS(addr.sin_port);
}

}  // namespace

int32_t TIdStackWinsock::WSBind(int32_t socket, int32_t family, const std::string& ip, int32_t port)
{
    const winsock::sockaddr_in addr = MakeAddress(*this, family, ip, port, true);
    return winsock::bind(socket, reinterpret_cast<const winsock::sockaddr*>(&addr), sizeof addr);
}

int32_t TIdStackWinsock::WSCloseSocket(int32_t socket) { return winsock::closesocket(socket); }

int32_t TIdStackWinsock::WSConnect(int32_t socket, int32_t family, const std::string& ip, int32_t port)
{
    const winsock::sockaddr_in addr = MakeAddress(*this, family, ip, port, false);
    return winsock::connect(socket, reinterpret_cast<const winsock::sockaddr*>(&addr), sizeof addr);
}

int32_t TIdStackWinsock::WSRecv(int32_t socket, void* buffer, int32_t length, int32_t flags)
{
    return winsock::recv(socket, static_cast<char*>(buffer), length, flags);
}

int32_t TIdStackWinsock::WSRecvFrom(int32_t socket, void* buffer, int32_t length, int32_t flags,
                                    std::string& ip, int32_t& port)
{
    winsock::sockaddr_in addr{};
    int32_t addrLen = sizeof addr;
    const int32_t result = winsock::recvfrom(socket, static_cast<char*>(buffer), length, flags,
                                             reinterpret_cast<winsock::sockaddr*>(&addr), &addrLen);
    // A datagram cut short still names its sender.
    if (result >= 0 || LastSocketErrorCode() == Id_WSAEMSGSIZE) {
        int32_t family = 0;
        SplitAddress(*this, addr, family, ip, port);
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
    const winsock::sockaddr_in addr = MakeAddress(*this, Id_PF_INET, ip, port, false);
    return winsock::sendto(socket, static_cast<const char*>(buffer), length, flags,
                           reinterpret_cast<const winsock::sockaddr*>(&addr), sizeof addr);
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
    winsock::sockaddr_in addr{};
    int32_t addrLen = sizeof addr;
    CheckSocketResult(winsock::getpeername(socket, reinterpret_cast<winsock::sockaddr*>(&addr), &addrLen));
    SplitAddress(*this, addr, family, ip, port);
}

void TIdStackWinsock::WSGetSockName(int32_t socket, int32_t& family, std::string& ip, int32_t& port)
{
    winsock::sockaddr_in addr{};
    int32_t addrLen = sizeof addr;
    CheckSocketResult(winsock::getsockname(socket, reinterpret_cast<winsock::sockaddr*>(&addr), &addrLen));
    SplitAddress(*this, addr, family, ip, port);
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
