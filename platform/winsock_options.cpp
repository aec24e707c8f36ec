#include "platform/winsock.h"
#include "platform/winsock_internal.h"

#include <cstring>
#include <fcntl.h>
#include <netinet/tcp.h>
#include <sys/ioctl.h>
#include <sys/time.h>

// Socket options and ioctls, taken by their Windows numbers and values.
namespace winsock {

using detail::Fail;
using detail::FailErrno;

namespace {

struct OptionMapping {
    int Level;
    int Name;
    enum Kind { Integer, Linger, Milliseconds } ValueKind;
};

// The options Windows programs pass, by their Windows numbers.
bool MapOption(int32_t level, int32_t optname, OptionMapping& out)
{
    if (level == WS_SOL_SOCKET) {
        switch (optname) {
        case WS_SO_DEBUG: out = {SOL_SOCKET, SO_DEBUG, OptionMapping::Integer}; return true;
        case WS_SO_REUSEADDR: out = {SOL_SOCKET, SO_REUSEADDR, OptionMapping::Integer}; return true;
        case WS_SO_KEEPALIVE: out = {SOL_SOCKET, SO_KEEPALIVE, OptionMapping::Integer}; return true;
        case WS_SO_DONTROUTE: out = {SOL_SOCKET, SO_DONTROUTE, OptionMapping::Integer}; return true;
        case WS_SO_BROADCAST: out = {SOL_SOCKET, SO_BROADCAST, OptionMapping::Integer}; return true;
        case WS_SO_OOBINLINE: out = {SOL_SOCKET, SO_OOBINLINE, OptionMapping::Integer}; return true;
        case WS_SO_SNDBUF: out = {SOL_SOCKET, SO_SNDBUF, OptionMapping::Integer}; return true;
        case WS_SO_RCVBUF: out = {SOL_SOCKET, SO_RCVBUF, OptionMapping::Integer}; return true;
        case WS_SO_ERROR: out = {SOL_SOCKET, SO_ERROR, OptionMapping::Integer}; return true;
        case WS_SO_TYPE: out = {SOL_SOCKET, SO_TYPE, OptionMapping::Integer}; return true;
        case WS_SO_LINGER: out = {SOL_SOCKET, SO_LINGER, OptionMapping::Linger}; return true;
        case WS_SO_SNDTIMEO: out = {SOL_SOCKET, SO_SNDTIMEO, OptionMapping::Milliseconds}; return true;
        case WS_SO_RCVTIMEO: out = {SOL_SOCKET, SO_RCVTIMEO, OptionMapping::Milliseconds}; return true;
        default: return false;
        }
    }
    if (level == WS_IPPROTO_TCP && optname == WS_TCP_NODELAY) {
        out = {IPPROTO_TCP, TCP_NODELAY, OptionMapping::Integer};
        return true;
    }
    return false;
}

}  // namespace

int32_t setsockopt(SOCKET s, int32_t level, int32_t optname, const char* optval, int32_t optlen)
{
    OptionMapping map;
    if (!MapOption(level, optname, map)) return Fail(level == WS_SOL_SOCKET || level == WS_IPPROTO_TCP ? WSAENOPROTOOPT : WSAEINVAL);
    if (optval == nullptr || optlen <= 0) return Fail(WSAEFAULT);
    int rc = 0;
    switch (map.ValueKind) {
    case OptionMapping::Integer: {
        // Windows takes a BOOL or an int; a single byte is accepted for booleans.
        int32_t value = 0;
        if (optlen >= 4)
            std::memcpy(&value, optval, 4);
        else
            value = static_cast<unsigned char>(optval[0]);
        int posixValue = value;
        if (map.Name != SO_SNDBUF && map.Name != SO_RCVBUF) posixValue = value != 0 ? 1 : 0;
        rc = ::setsockopt(s, map.Level, map.Name, &posixValue, sizeof posixValue);
        break;
    }
    case OptionMapping::Linger: {
        if (optlen < static_cast<int32_t>(sizeof(linger))) return Fail(WSAEFAULT);
        linger in;
        std::memcpy(&in, optval, sizeof in);
        ::linger out{in.l_onoff != 0 ? 1 : 0, in.l_linger};
        rc = ::setsockopt(s, map.Level, map.Name, &out, sizeof out);
        break;
    }
    case OptionMapping::Milliseconds: {
        if (optlen < 4) return Fail(WSAEFAULT);
        uint32_t ms = 0;
        std::memcpy(&ms, optval, 4);
        ::timeval tv{static_cast<time_t>(ms / 1000), static_cast<suseconds_t>((ms % 1000) * 1000)};
        rc = ::setsockopt(s, map.Level, map.Name, &tv, sizeof tv);
        break;
    }
    }
    if (rc != 0) return FailErrno();
    return 0;
}

int32_t getsockopt(SOCKET s, int32_t level, int32_t optname, char* optval, int32_t* optlen)
{
    OptionMapping map;
    if (!MapOption(level, optname, map)) return Fail(level == WS_SOL_SOCKET || level == WS_IPPROTO_TCP ? WSAENOPROTOOPT : WSAEINVAL);
    if (optval == nullptr || optlen == nullptr || *optlen < 4) return Fail(WSAEFAULT);
    int32_t value = 0;
    switch (map.ValueKind) {
    case OptionMapping::Integer: {
        int posixValue = 0;
        socklen_t len = sizeof posixValue;
        if (::getsockopt(s, map.Level, map.Name, &posixValue, &len) != 0) return FailErrno();
        value = posixValue;
        if (map.Name == SO_ERROR) value = ErrnoToWinsock(posixValue);
        if (map.Name == SO_TYPE) value = posixValue == SOCK_STREAM ? WS_SOCK_STREAM : posixValue == SOCK_DGRAM ? WS_SOCK_DGRAM : posixValue;
        break;
    }
    case OptionMapping::Linger: {
        ::linger out{};
        socklen_t len = sizeof out;
        if (::getsockopt(s, map.Level, map.Name, &out, &len) != 0) return FailErrno();
        linger in{static_cast<uint16_t>(out.l_onoff), static_cast<uint16_t>(out.l_linger)};
        std::memcpy(&value, &in, sizeof in);
        break;
    }
    case OptionMapping::Milliseconds: {
        ::timeval tv{};
        socklen_t len = sizeof tv;
        if (::getsockopt(s, map.Level, map.Name, &tv, &len) != 0) return FailErrno();
        value = static_cast<int32_t>(tv.tv_sec * 1000 + tv.tv_usec / 1000);
        break;
    }
    }
    std::memcpy(optval, &value, 4);
    *optlen = 4;
    return 0;
}

int32_t ioctlsocket(SOCKET s, int32_t cmd, uint32_t* argp)
{
    if (argp == nullptr) return Fail(WSAEFAULT);
    if (cmd == WS_FIONBIO) {
        const int flags = ::fcntl(s, F_GETFL);
        if (flags < 0) return FailErrno();
        const int wanted = *argp != 0 ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
        if (::fcntl(s, F_SETFL, wanted) != 0) return FailErrno();
        return 0;
    }
    if (cmd == WS_FIONREAD) {
        int count = 0;
        if (::ioctl(s, FIONREAD, &count) != 0) return FailErrno();
        *argp = static_cast<uint32_t>(count);
        return 0;
    }
    return Fail(WSAEINVAL);
}

}  // namespace winsock
