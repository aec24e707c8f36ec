#include "platform/winsock.h"
#include "platform/winsock_internal.h"
#include "platform/address6.h"

#include <cerrno>
#include <chrono>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

// Creating, connecting, waiting on, reading, writing and closing sockets.
namespace winsock {

using detail::Fail;
using detail::FailErrno;
using detail::FromPosix;
using detail::ToPosix;

namespace {

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

}  // namespace

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

}  // namespace winsock
