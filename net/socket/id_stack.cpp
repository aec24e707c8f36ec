#include "net/socket/id_stack.h"

#include "net/socket/id_exceptions.h"
#include "net/socket/id_socket_address.h"
#include "platform/winsock.h"
#include "runtime/integer.h"
#include "runtime/text.h"

#include <cstring>

TIdStack* GSocketStack = nullptr;
int32_t StackUsers = 0;

namespace {

// The next dot-separated part of a working copy: text before the first "." (removed with
// its dot), or the whole rest.
std::string TakeNextPart(std::string& rest)
{
    const size_t dot = rest.find('.');
    if (dot == std::string::npos) {
        std::string part;
        part.swap(rest);
        return part;
    }
    std::string part = rest.substr(0, dot);
    rest.erase(0, dot + 1);
    return part;
}

const char* SocketErrorText(int32_t code)
{
    switch (code) {
    case 10004: return "Interrupted system call.";
    case 10009: return "Bad file number.";
    case 10013: return "Access denied.";
    case 10014: return "Bad address.";
    case 10022: return "Invalid argument.";
    case 10024: return "Too many open files.";
    case 10035: return "Operation would block. ";
    case 10036: return "Operation now in progress.";
    case 10037: return "Operation already in progress.";
    case 10038: return "Socket operation on non-socket.";
    case 10039: return "Destination address required.";
    case 10040: return "Message too long.";
    case 10041: return "Protocol wrong type for socket.";
    case 10042: return "Bad protocol option.";
    case 10043: return "Protocol not supported.";
    case 10044: return "Socket type not supported.";
    case 10045: return "Operation not supported on socket.";
    case 10046: return "Protocol family not supported.";
    case 10047: return "Address family not supported by protocol family.";
    case 10048: return "Address already in use.";
    case 10049: return "Cannot assign requested address.";
    case 10050: return "Network is down.";
    case 10051: return "Network is unreachable.";
    case 10052: return "Net dropped connection or reset.";
    case 10053: return "Software caused connection abort.";
    case 10054: return "Connection reset by peer.";
    case 10055: return "No buffer space available.";
    case 10056: return "Socket is already connected.";
    case 10057: return "Socket is not connected.";
    case 10058: return "Cannot send or receive after socket is closed.";
    case 10059: return "Too many references, cannot splice.";
    case 10060: return "Connection timed out.";
    case 10061: return "Connection refused.";
    case 10062: return "Too many levels of symbolic links.";
    case 10063: return "File name too long.";
    case 10064: return "Host is down.";
    case 10065: return "No route to host.";
    case 10066: return "Directory not empty";
    default: return "";
    }
}

}  // namespace

TIdStackVersionWinsock::TIdStackVersionWinsock()
{
    Name = "Winsock stack";
}

TIdStack::TIdStack() = default;
TIdStack::~TIdStack() = default;

bool TIdStack::IsDottedQuad(const std::string& text) const
{
    std::string rest = text;
    std::string parts[4];
    for (int i = 0; i < 3; ++i) parts[i] = TakeNextPart(rest);
    parts[3] = rest;
    for (const std::string& part : parts) {
        if (StrToIntDef(part, -1) < 0 || StrToIntDef(part, 256) > 255) return false;
    }
    return true;
}

std::string TIdStack::HostToAddress(const std::string& host)
{
    if (SameText(host, "LOCALHOST")) return "127.0.0.1";
    if (IsDottedQuad(host) || IsIPv6Address(host)) return host;
    return LookupHostAddresses(host).front();
}

int32_t TIdStack::OpenSocket(int32_t type, int32_t protocol, int32_t family)
{
    const int32_t socket = WSSocket(family, type, protocol);
    if (socket == Id_INVALID_SOCKET) throw EIdInvalidSocket();
    return socket;
}

bool TIdStack::CheckSocketResult(int32_t result, std::initializer_list<int32_t> tolerated)
{
    if (result != Id_SOCKET_ERROR) return false;
    const int32_t code = LastSocketErrorCode();
    for (int32_t ok : tolerated)
        if (ok == code) return true;
    ThrowSocketError(code);
}

void TIdStack::ThrowSocketError(int32_t code)
{
    throw EIdSocketError(code, SocketErrorMessage(code));
}

std::string TIdStack::SocketErrorMessage(int32_t code)
{
    return Format("Socket Error # %d\r\n%s", code, SocketErrorText(code));
}

// There is no library file to load or start on this platform: the calls are bound at
// link time and need no start-up, so only the version record is filled.
TIdStackWinsock::TIdStackWinsock()
{
    auto version = std::make_unique<TIdStackVersionWinsock>();
    version->Version = 0x0101;
    version->MaxVersion = 0x0101;
    version->MaxSockets = winsock::WS_FD_SETSIZE;
    version->MaxUdpDg = 65467;
    version->Description = "Sockets over POSIX";
    version->SystemStatus = "Running";
    FVersion = std::move(version);
}

TIdStackWinsock::~TIdStackWinsock() = default;

std::array<uint8_t, 4> TIdStackWinsock::TextToAddress(const std::string& text)
{
    std::string rest = text;
    std::array<uint8_t, 4> address{};
    for (uint8_t& byte : address) byte = static_cast<uint8_t>(StrToInt(TakeNextPart(rest)) & 0xFF);
    return address;
}

std::string TIdStackWinsock::AddressToText(const std::array<uint8_t, 4>& address)
{
    return Format("%u.%u.%u.%u", address[0], address[1], address[2], address[3]);
}

std::string TIdStackWinsock::LookupHostByName(const std::string& name)
{
    // A NUL would cut the name short and look up another one.
    if (name.find('\0') != std::string::npos) {
        winsock::WSASetLastError(winsock::WSAHOST_NOT_FOUND);
        CheckSocketResult(Id_SOCKET_ERROR);
    }
    const winsock::hostent* entry = winsock::gethostbyname(name.c_str());
    if (entry == nullptr) CheckSocketResult(Id_SOCKET_ERROR);
    if (entry->h_addr_list == nullptr || entry->h_addr_list[0] == nullptr || entry->h_length != 4) {
        winsock::WSASetLastError(winsock::WSANO_DATA);
        CheckSocketResult(Id_SOCKET_ERROR);
    }
    std::array<uint8_t, 4> address;
    std::memcpy(address.data(), entry->h_addr_list[0], 4);
    return AddressToText(address);
}

int32_t TIdStackWinsock::SelectSockets(std::vector<int32_t>* read, std::vector<int32_t>* write,
                                       std::vector<int32_t>* error, int32_t timeoutMs)
{
    std::vector<int32_t>* lists[3] = {read, write, error};
    // Checked before anything is copied or waited for.
    for (const auto* list : lists)
        if (list != nullptr && list->size() > static_cast<size_t>(winsock::WS_FD_SETSIZE))
            throw EIdStackSetSizeExceeded();

    winsock::fd_set sets[3];
    winsock::fd_set* setPointers[3] = {nullptr, nullptr, nullptr};
    for (int i = 0; i < 3; ++i) {
        sets[i].fd_count = 0;
        if (lists[i] == nullptr) continue;
        for (int32_t socket : *lists[i]) sets[i].fd_array[sets[i].fd_count++] = socket;
        setPointers[i] = &sets[i];
    }
    winsock::timeval limit{};
    const winsock::timeval* limitPointer = nullptr;
    // WaitForever (-2) waits without limit; so does any other negative value, which would
    // otherwise make every wait fail at once and leave callers spinning.
    if (timeoutMs >= 0) {
        limit.tv_sec = timeoutMs / 1000;
        limit.tv_usec = (timeoutMs % 1000) * 1000;
        limitPointer = &limit;
    }
    const int32_t result = winsock::select(0, setPointers[0], setPointers[1], setPointers[2], limitPointer);
    for (int i = 0; i < 3; ++i) {
        if (lists[i] == nullptr) continue;
        // A failed wait leaves the lists as they were given.
        if (result < 0) continue;
        lists[i]->assign(sets[i].fd_array, sets[i].fd_array + sets[i].fd_count);
    }
    return result;
}

int32_t TIdStackWinsock::LastSocketErrorCode() { return winsock::WSAGetLastError(); }
void TIdStackWinsock::SetLastSocketErrorCode(int32_t code) { winsock::WSASetLastError(code); }

uint16_t TIdStackWinsock::HToNS(uint16_t value) { return (winsock::htons)(value); }
uint16_t TIdStackWinsock::NToHS(uint16_t value) { return (winsock::ntohs)(value); }
uint32_t TIdStackWinsock::HToNL(uint32_t value) { return (winsock::htonl)(value); }
uint32_t TIdStackWinsock::NToHL(uint32_t value) { return (winsock::ntohl)(value); }

// Only a local address may be left empty (any local address); an empty destination is
// converted like any other text and so refused, rather than reaching 0.0.0.0, which this
// platform takes for the local machine.

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
