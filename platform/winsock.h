#pragma once
#include <cstdint>

// The Windows socket calls (version 1.1) the network layer and the system-resolver code
// are written against, over the POSIX sockets of this machine. Types keep the Windows
// layouts and values; the last error is the Windows number (errno and resolver failures
// mapped), kept per thread. Nothing here raises; failures are -1 (SOCKET_ERROR) or a
// null pointer, with WSAGetLastError telling why.
//
// Everything lives in the namespace, and the constants carry a WS_ prefix, so that nothing
// clashes with the POSIX names and macros. The byte-order calls are declared in
// parentheses because the C library may define functions of the same names as macros:
// call them as (winsock::htons)(x) where a POSIX network header is included too.
namespace winsock {

using SOCKET = int32_t;
inline constexpr SOCKET INVALID_SOCKET = -1;
inline constexpr int32_t SOCKET_ERROR = -1;

inline constexpr int32_t WS_AF_INET = 2;
inline constexpr int32_t WS_SOCK_STREAM = 1;
inline constexpr int32_t WS_SOCK_DGRAM = 2;
inline constexpr int32_t WS_IPPROTO_TCP = 6;
inline constexpr int32_t WS_IPPROTO_UDP = 17;

// recv/send flags.
inline constexpr int32_t WS_MSG_OOB = 1;
inline constexpr int32_t WS_MSG_PEEK = 2;

// shutdown directions.
inline constexpr int32_t WS_SD_RECEIVE = 0;
inline constexpr int32_t WS_SD_SEND = 1;
inline constexpr int32_t WS_SD_BOTH = 2;

// setsockopt levels and options (the Windows numbers).
inline constexpr int32_t WS_SOL_SOCKET = 0xFFFF;
inline constexpr int32_t WS_SO_DEBUG = 0x0001;
inline constexpr int32_t WS_SO_REUSEADDR = 0x0004;
inline constexpr int32_t WS_SO_KEEPALIVE = 0x0008;
inline constexpr int32_t WS_SO_DONTROUTE = 0x0010;
inline constexpr int32_t WS_SO_BROADCAST = 0x0020;
inline constexpr int32_t WS_SO_LINGER = 0x0080;
inline constexpr int32_t WS_SO_OOBINLINE = 0x0100;
inline constexpr int32_t WS_SO_SNDBUF = 0x1001;
inline constexpr int32_t WS_SO_RCVBUF = 0x1002;
inline constexpr int32_t WS_SO_SNDTIMEO = 0x1005;
inline constexpr int32_t WS_SO_RCVTIMEO = 0x1006;
inline constexpr int32_t WS_SO_ERROR = 0x1007;
inline constexpr int32_t WS_SO_TYPE = 0x1008;
inline constexpr int32_t WS_TCP_NODELAY = 0x0001;

// ioctlsocket commands.
inline constexpr int32_t WS_FIONBIO = static_cast<int32_t>(0x8004667EU);
inline constexpr int32_t WS_FIONREAD = 0x4004667F;

inline constexpr uint32_t WS_INADDR_ANY = 0x00000000;
inline constexpr uint32_t WS_INADDR_NONE = 0xFFFFFFFF;

// Windows socket error numbers.
inline constexpr int32_t WSABASEERR = 10000;
inline constexpr int32_t WSAEINTR = 10004;
inline constexpr int32_t WSAEBADF = 10009;
inline constexpr int32_t WSAEACCES = 10013;
inline constexpr int32_t WSAEFAULT = 10014;
inline constexpr int32_t WSAEINVAL = 10022;
inline constexpr int32_t WSAEMFILE = 10024;
inline constexpr int32_t WSAEWOULDBLOCK = 10035;
inline constexpr int32_t WSAEINPROGRESS = 10036;
inline constexpr int32_t WSAEALREADY = 10037;
inline constexpr int32_t WSAENOTSOCK = 10038;
inline constexpr int32_t WSAEDESTADDRREQ = 10039;
inline constexpr int32_t WSAEMSGSIZE = 10040;
inline constexpr int32_t WSAEPROTOTYPE = 10041;
inline constexpr int32_t WSAENOPROTOOPT = 10042;
inline constexpr int32_t WSAEPROTONOSUPPORT = 10043;
inline constexpr int32_t WSAESOCKTNOSUPPORT = 10044;
inline constexpr int32_t WSAEOPNOTSUPP = 10045;
inline constexpr int32_t WSAEPFNOSUPPORT = 10046;
inline constexpr int32_t WSAEAFNOSUPPORT = 10047;
inline constexpr int32_t WSAEADDRINUSE = 10048;
inline constexpr int32_t WSAEADDRNOTAVAIL = 10049;
inline constexpr int32_t WSAENETDOWN = 10050;
inline constexpr int32_t WSAENETUNREACH = 10051;
inline constexpr int32_t WSAENETRESET = 10052;
inline constexpr int32_t WSAECONNABORTED = 10053;
inline constexpr int32_t WSAECONNRESET = 10054;
inline constexpr int32_t WSAENOBUFS = 10055;
inline constexpr int32_t WSAEISCONN = 10056;
inline constexpr int32_t WSAENOTCONN = 10057;
inline constexpr int32_t WSAESHUTDOWN = 10058;
inline constexpr int32_t WSAETOOMANYREFS = 10059;
inline constexpr int32_t WSAETIMEDOUT = 10060;
inline constexpr int32_t WSAECONNREFUSED = 10061;
inline constexpr int32_t WSAELOOP = 10062;
inline constexpr int32_t WSAENAMETOOLONG = 10063;
inline constexpr int32_t WSAEHOSTDOWN = 10064;
inline constexpr int32_t WSAEHOSTUNREACH = 10065;
inline constexpr int32_t WSAENOTEMPTY = 10066;
// Resolver failures.
inline constexpr int32_t WSAHOST_NOT_FOUND = 11001;
inline constexpr int32_t WSATRY_AGAIN = 11002;
inline constexpr int32_t WSANO_RECOVERY = 11003;
inline constexpr int32_t WSANO_DATA = 11004;

struct in_addr {
    uint32_t s_addr;  // network byte order
};

struct sockaddr {
    uint16_t sa_family;
    char sa_data[14];
};

struct sockaddr_in {
    int16_t sin_family;
    uint16_t sin_port;  // network byte order
    in_addr sin_addr;
    char sin_zero[8];
};

struct timeval {
    int32_t tv_sec;
    int32_t tv_usec;
};

struct linger {
    uint16_t l_onoff;
    uint16_t l_linger;
};

// The Windows descriptor set: a count and at most 64 descriptors (not a bit map, so
// descriptor numbers have no upper limit here).
inline constexpr int32_t WS_FD_SETSIZE = 64;
struct fd_set {
    uint32_t fd_count;
    SOCKET fd_array[WS_FD_SETSIZE];
};

// What gethostbyname/gethostbyaddr return: valid until the next call on the same thread.
struct hostent {
    char* h_name;
    char** h_aliases;
    int16_t h_addrtype;
    int16_t h_length;
    char** h_addr_list;
};

SOCKET socket(int32_t af, int32_t type, int32_t protocol);
int32_t bind(SOCKET s, const sockaddr* name, int32_t namelen);
int32_t connect(SOCKET s, const sockaddr* name, int32_t namelen);
// nfds is ignored, as on Windows. A null timeout waits without limit.
int32_t select(int32_t nfds, fd_set* readfds, fd_set* writefds, fd_set* exceptfds,
               const timeval* timeout);
int32_t recv(SOCKET s, char* buf, int32_t len, int32_t flags);
int32_t send(SOCKET s, const char* buf, int32_t len, int32_t flags);
// A datagram longer than len fills the buffer and fails with WSAEMSGSIZE.
int32_t recvfrom(SOCKET s, char* buf, int32_t len, int32_t flags, sockaddr* from,
                 int32_t* fromlen);
int32_t sendto(SOCKET s, const char* buf, int32_t len, int32_t flags, const sockaddr* to,
               int32_t tolen);
int32_t setsockopt(SOCKET s, int32_t level, int32_t optname, const char* optval, int32_t optlen);
int32_t getsockopt(SOCKET s, int32_t level, int32_t optname, char* optval, int32_t* optlen);
int32_t ioctlsocket(SOCKET s, int32_t cmd, uint32_t* argp);
int32_t shutdown(SOCKET s, int32_t how);
int32_t closesocket(SOCKET s);
int32_t getsockname(SOCKET s, sockaddr* name, int32_t* namelen);
int32_t getpeername(SOCKET s, sockaddr* name, int32_t* namelen);
int32_t gethostname(char* name, int32_t namelen);

// The system resolver: names to IPv4 addresses (address6.h has the IPv6 and the both-family
// look-ups); gethostbyaddr takes IPv4 (4 bytes) and IPv6 (16 bytes, WS_AF_INET6) addresses.
hostent* gethostbyname(const char* name);
hostent* gethostbyaddr(const char* addr, int32_t len, int32_t type);

uint32_t inet_addr(const char* cp);
// Points to a per-thread area, valid until the next call on the same thread.
char* inet_ntoa(in_addr in);

uint16_t(htons)(uint16_t hostshort);
uint16_t(ntohs)(uint16_t netshort);
uint32_t(htonl)(uint32_t hostlong);
uint32_t(ntohl)(uint32_t netlong);

int32_t WSAGetLastError();
void WSASetLastError(int32_t error);

// The Windows number for an errno value (for code that calls POSIX directly). A value
// without a Windows counterpart becomes WS_ERRNO_BASE + errno: a range no Windows socket
// error uses, so it shows its own number with no text, never another error's.
inline constexpr int32_t WS_ERRNO_BASE = 20000;
int32_t ErrnoToWinsock(int error);

}  // namespace winsock
