#pragma once
#include "platform/winsock.h"

#include <netinet/in.h>
#include <sys/socket.h>

// What the platform/winsock_*.cpp files share and nothing else includes.
namespace winsock::detail {

// Records the error for WSAGetLastError and returns SOCKET_ERROR.
inline int32_t Fail(int32_t error)
{
    WSASetLastError(error);
    return SOCKET_ERROR;
}

int32_t FailErrno();

// Windows socket address <-> POSIX; both record WSAEFAULT or WSAEAFNOSUPPORT on failure.
// Either family (see address6.h).
bool ToPosix(const sockaddr* name, int32_t namelen, ::sockaddr_storage& out, socklen_t& outLength);
int32_t FromPosix(const ::sockaddr_storage& storage, sockaddr* name, int32_t* namelen);

}  // namespace winsock::detail
