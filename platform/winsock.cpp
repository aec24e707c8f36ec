#include "platform/winsock.h"

#include "platform/address6.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace winsock {

namespace {

thread_local int32_t tLastError = 0;

int32_t Fail(int32_t error)
{
    tLastError = error;
    return SOCKET_ERROR;
}

int32_t FailErrno()
{
    return Fail(ErrnoToWinsock(errno));
}

// Windows socket addresses of either family, as the system's (see address6.h).
bool ToPosix(const sockaddr* name, int32_t namelen, ::sockaddr_storage& out, socklen_t& outLength)
{
    uint32_t length = 0;
    if (!ToPosixAddress(name, namelen, out, length)) return false;
    outLength = static_cast<socklen_t>(length);
    return true;
}

int32_t FromPosix(const ::sockaddr_storage& storage, sockaddr* name, int32_t* namelen)
{
    return FromPosixAddress(storage, name, namelen);
}

int PosixFlags(int32_t flags)
{
    int result = 0;
    if (flags & WS_MSG_OOB) result |= MSG_OOB;
    if (flags & WS_MSG_PEEK) result |= MSG_PEEK;
    return result;
}

bool IsDatagramSocket(int fd)
{
    int type = 0;
    socklen_t len = sizeof type;
    return ::getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &len) == 0 && type == SOCK_DGRAM;
}

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

// Per-thread result areas of the resolver calls, like the platform's own.
struct HostArea {
    ::hostent Entry{};
    std::vector<char> Storage = std::vector<char>(1024);
    hostent Result{};
};
thread_local HostArea tHost;
thread_local char tNtoa[16];

int32_t ResolverError(int herr)
{
    switch (herr) {
    case HOST_NOT_FOUND: return WSAHOST_NOT_FOUND;
    case TRY_AGAIN: return WSATRY_AGAIN;
    case NO_RECOVERY: return WSANO_RECOVERY;
    case NO_DATA: return WSANO_DATA;
    default: return WSANO_RECOVERY;
    }
}

// Runs one reentrant resolver call, growing the area while it is too small.
template <typename Call>
hostent* Resolve(Call call)
{
    for (;;) {
        ::hostent* result = nullptr;
        int herr = 0;
        const int rc = call(&tHost.Entry, tHost.Storage.data(), tHost.Storage.size(), &result, &herr);
        if (rc == ERANGE && tHost.Storage.size() < (1u << 20)) {
            tHost.Storage.resize(tHost.Storage.size() * 2);
            continue;
        }
        if (result == nullptr) {
            // NETDB_INTERNAL carries its cause in errno (rc); anything else is h_errno.
            if (herr == NETDB_INTERNAL && rc != 0)
                Fail(ErrnoToWinsock(rc));
            else
                Fail(ResolverError(herr));
            return nullptr;
        }
        if (result->h_addrtype != AF_INET && result->h_addrtype != AF_INET6) {
            Fail(WSANO_DATA);
            return nullptr;
        }
        tHost.Result.h_name = result->h_name;
        tHost.Result.h_aliases = result->h_aliases;
        tHost.Result.h_addrtype = static_cast<int16_t>(result->h_addrtype == AF_INET ? WS_AF_INET : WS_AF_INET6);
        tHost.Result.h_length = static_cast<int16_t>(result->h_length);
        tHost.Result.h_addr_list = result->h_addr_list;
        return &tHost.Result;
    }
}

}  // namespace

int32_t ErrnoToWinsock(int error)
{
    switch (error) {
    case 0: return 0;
    case EINTR: return WSAEINTR;
    case EBADF: return WSAEBADF;
    case EACCES:
    case EPERM: return WSAEACCES;
    case EFAULT: return WSAEFAULT;
    case EINVAL: return WSAEINVAL;
    case EMFILE:
    case ENFILE: return WSAEMFILE;
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
    case EAGAIN: return WSAEWOULDBLOCK;
    case EINPROGRESS: return WSAEINPROGRESS;
    case EALREADY: return WSAEALREADY;
    case ENOTSOCK: return WSAENOTSOCK;
    case EDESTADDRREQ: return WSAEDESTADDRREQ;
    case EMSGSIZE: return WSAEMSGSIZE;
    case EPROTOTYPE: return WSAEPROTOTYPE;
    case ENOPROTOOPT: return WSAENOPROTOOPT;
    case EPROTONOSUPPORT: return WSAEPROTONOSUPPORT;
    case ESOCKTNOSUPPORT: return WSAESOCKTNOSUPPORT;
    case EOPNOTSUPP: return WSAEOPNOTSUPP;
    case EPFNOSUPPORT: return WSAEPFNOSUPPORT;
    case EAFNOSUPPORT: return WSAEAFNOSUPPORT;
    case EADDRINUSE: return WSAEADDRINUSE;
    case EADDRNOTAVAIL: return WSAEADDRNOTAVAIL;
    case ENETDOWN: return WSAENETDOWN;
    case ENETUNREACH: return WSAENETUNREACH;
    case ENETRESET: return WSAENETRESET;
    case ECONNABORTED: return WSAECONNABORTED;
    case ECONNRESET: return WSAECONNRESET;
    case ENOBUFS:
    case ENOMEM: return WSAENOBUFS;
    case EISCONN: return WSAEISCONN;
    case ENOTCONN: return WSAENOTCONN;
    case EPIPE:
    case ESHUTDOWN: return WSAESHUTDOWN;
    case ETOOMANYREFS: return WSAETOOMANYREFS;
    case ETIMEDOUT: return WSAETIMEDOUT;
    case ECONNREFUSED: return WSAECONNREFUSED;
    case ELOOP: return WSAELOOP;
    case ENAMETOOLONG: return WSAENAMETOOLONG;
    case EHOSTDOWN: return WSAEHOSTDOWN;
    case EHOSTUNREACH: return WSAEHOSTUNREACH;
    case ENOTEMPTY: return WSAENOTEMPTY;
    default: return WS_ERRNO_BASE + error;
    }
}

SOCKET socket(int32_t af, int32_t type, int32_t protocol)
{
    if (af != WS_AF_INET && af != WS_AF_INET6) return Fail(WSAEAFNOSUPPORT);
    if (type != WS_SOCK_STREAM && type != WS_SOCK_DGRAM) return Fail(WSAESOCKTNOSUPPORT);
    const int fd = ::socket(af == WS_AF_INET ? AF_INET : AF_INET6, (type == WS_SOCK_STREAM ? SOCK_STREAM : SOCK_DGRAM) | SOCK_CLOEXEC,
                            protocol);
    if (fd < 0) return FailErrno();
    return fd;
}

int32_t bind(SOCKET s, const sockaddr* name, int32_t namelen)
{
    ::sockaddr_storage addr;
    socklen_t addrLength = 0;
    if (!ToPosix(name, namelen, addr, addrLength)) return SOCKET_ERROR;
    if (::bind(s, reinterpret_cast<const ::sockaddr*>(&addr), addrLength) != 0) return FailErrno();
    return 0;
}

int32_t connect(SOCKET s, const sockaddr* name, int32_t namelen)
{
    ::sockaddr_storage addr;
    socklen_t addrLength = 0;
    if (!ToPosix(name, namelen, addr, addrLength)) return SOCKET_ERROR;
    int rc;
    do {
        rc = ::connect(s, reinterpret_cast<const ::sockaddr*>(&addr), addrLength);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0) return 0;
    // A non-blocking connect under way reports "would block" there, not "in progress".
    if (errno == EINPROGRESS) return Fail(WSAEWOULDBLOCK);
    return FailErrno();
}

int32_t select(int32_t /*nfds*/, fd_set* readfds, fd_set* writefds, fd_set* exceptfds,
               const timeval* timeout)
{
    fd_set* sets[3] = {readfds, writefds, exceptfds};
    const short wanted[3] = {POLLIN, POLLOUT, POLLPRI};
    std::vector<pollfd> polls;
    for (int i = 0; i < 3; ++i) {
        if (sets[i] == nullptr) continue;
        if (sets[i]->fd_count > static_cast<uint32_t>(WS_FD_SETSIZE)) return Fail(WSAEINVAL);
        for (uint32_t k = 0; k < sets[i]->fd_count; ++k) {
            const SOCKET fd = sets[i]->fd_array[k];
            if (fd < 0) return Fail(WSAENOTSOCK);
            auto found = std::find_if(polls.begin(), polls.end(), [fd](const pollfd& p) { return p.fd == fd; });
            if (found == polls.end())
                polls.push_back({fd, wanted[i], 0});
            else
                found->events |= wanted[i];
        }
    }
    // As on Windows, a wait on no socket at all is an error, not a sleep.
    if (polls.empty()) return Fail(WSAEINVAL);

    int64_t limitMs = -1;
    if (timeout != nullptr) {
        if (timeout->tv_sec < 0 || timeout->tv_usec < 0) return Fail(WSAEINVAL);
        limitMs = int64_t{timeout->tv_sec} * 1000 + (timeout->tv_usec + 999) / 1000;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max<int64_t>(limitMs, 0));
    int rc;
    for (;;) {
        int waitMs = -1;
        if (limitMs >= 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
            waitMs = static_cast<int>(std::clamp<int64_t>(left, 0, 1 << 30));
        }
        rc = ::poll(polls.data(), polls.size(), waitMs);
        if (rc >= 0 || errno != EINTR) break;
    }
    if (rc < 0) return FailErrno();
    for (const pollfd& p : polls)
        if (p.revents & POLLNVAL) return Fail(WSAENOTSOCK);

    int32_t ready = 0;
    for (int i = 0; i < 3; ++i) {
        if (sets[i] == nullptr) continue;
        uint32_t kept = 0;
        for (uint32_t k = 0; k < sets[i]->fd_count; ++k) {
            const SOCKET fd = sets[i]->fd_array[k];
            const auto p = std::find_if(polls.begin(), polls.end(), [fd](const pollfd& q) { return q.fd == fd; });
            const short ev = p->revents;
            bool isReady = false;
            if (i == 0) isReady = ev & (POLLIN | POLLHUP | POLLERR);     // data, close or reset
            if (i == 1) isReady = (ev & POLLOUT) && !(ev & POLLERR);     // writable, connected
            if (i == 2) isReady = ev & (POLLPRI | POLLERR);              // urgent data, failed connect
            if (isReady) sets[i]->fd_array[kept++] = fd;
        }
        sets[i]->fd_count = kept;
        ready += static_cast<int32_t>(kept);
    }
    return ready;
}

int32_t recv(SOCKET s, char* buf, int32_t len, int32_t flags)
{
    if (len < 0) return Fail(WSAEINVAL);
    ssize_t n;
    do {
        n = ::recv(s, buf, static_cast<size_t>(len), PosixFlags(flags));
    } while (n < 0 && errno == EINTR);
    if (n < 0) return FailErrno();
    return static_cast<int32_t>(n);
}

int32_t send(SOCKET s, const char* buf, int32_t len, int32_t flags)
{
    if (len < 0) return Fail(WSAEINVAL);
    ssize_t n;
    do {
        n = ::send(s, buf, static_cast<size_t>(len), PosixFlags(flags) | MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return FailErrno();
    return static_cast<int32_t>(n);
}

int32_t recvfrom(SOCKET s, char* buf, int32_t len, int32_t flags, sockaddr* from, int32_t* fromlen)
{
    if (len < 0) return Fail(WSAEINVAL);
    // MSG_TRUNC makes a datagram socket report the datagram's real length; on a stream
    // socket it would discard data, so it is asked for datagrams only.
    const bool datagram = IsDatagramSocket(s);
    ::sockaddr_storage storage{};
    socklen_t storageLen = sizeof storage;
    ssize_t n;
    do {
        storageLen = sizeof storage;
        n = ::recvfrom(s, buf, static_cast<size_t>(len), PosixFlags(flags) | (datagram ? MSG_TRUNC : 0),
                       reinterpret_cast<::sockaddr*>(&storage), &storageLen);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return FailErrno();
    if (from != nullptr && FromPosix(storage, from, fromlen) != 0) return SOCKET_ERROR;
    if (datagram && n > len) return Fail(WSAEMSGSIZE);
    return static_cast<int32_t>(n);
}

int32_t sendto(SOCKET s, const char* buf, int32_t len, int32_t flags, const sockaddr* to, int32_t tolen)
{
    if (len < 0) return Fail(WSAEINVAL);
    ::sockaddr_storage addr;
    socklen_t addrLength = 0;
    if (!ToPosix(to, tolen, addr, addrLength)) return SOCKET_ERROR;
    ssize_t n;
    do {
        n = ::sendto(s, buf, static_cast<size_t>(len), PosixFlags(flags) | MSG_NOSIGNAL,
                     reinterpret_cast<const ::sockaddr*>(&addr), addrLength);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return FailErrno();
    return static_cast<int32_t>(n);
}

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

int32_t shutdown(SOCKET s, int32_t how)
{
    if (how < WS_SD_RECEIVE || how > WS_SD_BOTH) return Fail(WSAEINVAL);
    const int posixHow = how == WS_SD_RECEIVE ? SHUT_RD : how == WS_SD_SEND ? SHUT_WR : SHUT_RDWR;
    if (::shutdown(s, posixHow) != 0) return FailErrno();
    return 0;
}

int32_t closesocket(SOCKET s)
{
    // On Linux the descriptor is released even when close reports EINTR; retrying could
    // close a descriptor another part of the program just received.
    if (::close(s) != 0 && errno != EINTR) return FailErrno();
    return 0;
}

int32_t getsockname(SOCKET s, sockaddr* name, int32_t* namelen)
{
    ::sockaddr_storage storage{};
    socklen_t len = sizeof storage;
    if (::getsockname(s, reinterpret_cast<::sockaddr*>(&storage), &len) != 0) return FailErrno();
    return FromPosix(storage, name, namelen);
}

int32_t getpeername(SOCKET s, sockaddr* name, int32_t* namelen)
{
    ::sockaddr_storage storage{};
    socklen_t len = sizeof storage;
    if (::getpeername(s, reinterpret_cast<::sockaddr*>(&storage), &len) != 0) return FailErrno();
    return FromPosix(storage, name, namelen);
}

int32_t gethostname(char* name, int32_t namelen)
{
    if (name == nullptr || namelen <= 0) return Fail(WSAEFAULT);
    if (::gethostname(name, static_cast<size_t>(namelen)) != 0) return Fail(WSAEFAULT);
    name[namelen - 1] = '\0';
    return 0;
}

hostent* gethostbyname(const char* name)
{
    if (name == nullptr) {
        Fail(WSAEFAULT);
        return nullptr;
    }
    return Resolve([name](::hostent* entry, char* buf, size_t size, ::hostent** result, int* herr) {
        return ::gethostbyname_r(name, entry, buf, size, result, herr);
    });
}

hostent* gethostbyaddr(const char* addr, int32_t len, int32_t type)
{
    if (addr == nullptr) {
        Fail(WSAEFAULT);
        return nullptr;
    }
    if (type != WS_AF_INET && type != WS_AF_INET6) {
        Fail(WSAEAFNOSUPPORT);
        return nullptr;
    }
    const int32_t wanted = type == WS_AF_INET ? 4 : 16;
    if (len != wanted) {
        Fail(WSAEFAULT);
        return nullptr;
    }
    return Resolve([addr, wanted](::hostent* entry, char* buf, size_t size, ::hostent** result, int* herr) {
        return ::gethostbyaddr_r(addr, static_cast<socklen_t>(wanted), wanted == 4 ? AF_INET : AF_INET6, entry, buf,
                                 size, result, herr);
    });
}

hostent* gethostbyname6(const char* name)
{
    if (name == nullptr) {
        Fail(WSAEFAULT);
        return nullptr;
    }
    return Resolve([name](::hostent* entry, char* buf, size_t size, ::hostent** result, int* herr) {
        return ::gethostbyname2_r(name, AF_INET6, entry, buf, size, result, herr);
    });
}

uint32_t inet_addr(const char* cp)
{
    if (cp == nullptr) return WS_INADDR_NONE;
    ::in_addr addr{};
    if (::inet_aton(cp, &addr) == 0) return WS_INADDR_NONE;
    return addr.s_addr;
}

char* inet_ntoa(in_addr in)
{
    const auto* b = reinterpret_cast<const unsigned char*>(&in.s_addr);
    std::snprintf(tNtoa, sizeof tNtoa, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
    return tNtoa;
}

uint16_t(htons)(uint16_t hostshort) { return (::htons)(hostshort); }
uint16_t(ntohs)(uint16_t netshort) { return (::ntohs)(netshort); }
uint32_t(htonl)(uint32_t hostlong) { return (::htonl)(hostlong); }
uint32_t(ntohl)(uint32_t netlong) { return (::ntohl)(netlong); }

int32_t WSAGetLastError() { return tLastError; }
void WSASetLastError(int32_t error) { tLastError = error; }

}  // namespace winsock
