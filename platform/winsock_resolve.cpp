#include "platform/winsock.h"
#include "platform/address6.h"
#include "platform/winsock_internal.h"

#include <cerrno>
#include <netdb.h>
#include <unistd.h>

#include <vector>

// The system resolver (IPv4) and the machine's own name.
namespace winsock {

using detail::Fail;

namespace {

// Per-thread result areas of the resolver calls, like the platform's own.
struct HostArea {
    ::hostent Entry{};
    std::vector<char> Storage = std::vector<char>(1024);
    hostent Result{};
};
thread_local HostArea tHost;

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

}  // namespace winsock
