#include "net/socket/id_tcp_client.h"

#include "net/socket/id_exceptions.h"
#include "net/socket/id_shared_bound.h"
#include "net/socket/id_socket_address.h"
#include "net/socket/id_stack.h"

#include <exception>
#include <vector>

TIdTCPClient::TIdTCPClient() = default;
TIdTCPClient::~TIdTCPClient() = default;

void TIdTCPClient::DoConnected()
{
    if (OnConnected) OnConnected(*this);
}

void TIdTCPClient::OpenConnection()
{
    if (SocketHandle.Allocated) throw EIdAlreadyConnected();
    ResetState();
    if (!GSocketStack->IsDottedQuad(Host) && !IsIPv6Address(Host)) ReportStatus(StatusResolving, Host);
    const std::vector<std::string> addresses = GSocketStack->HostToAddresses(Host);
    // Every address of the name in turn, within the one connect bound: a dead first
    // address does not lose a server that answers on its second. The first failure is
    // the one reported: it is the preferred address's, so a machine without IPv6 still
    // reports its IPv4 server's failure, not that an IPv6 address after it is unusable.
    const TIdSharedBound bound(Limits.ConnectTimeout);
    std::exception_ptr firstFailure;
    for (size_t i = 0;; ++i) {
        try {
            ConnectTo(addresses[i], bound.ShareFor(addresses.size() - i));
            break;
        } catch (const EIdSocketError&) {
            if (!firstFailure) firstFailure = std::current_exception();
            if (i + 1 >= addresses.size() || bound.Left() == 0) std::rethrow_exception(firstFailure);
        }
    }
    ReportStatus(StatusConnected, SocketHandle.RemoteIP);
    DoConnected();
}

void TIdTCPClient::ConnectTo(const std::string& address, int32_t timeoutMs)
{
    ResetState();  // a failed address before this one left its socket marked closed
    SocketHandle.Allocate(Id_SOCK_STREAM, Id_IPPROTO_IP, AddressFamilyOf(address));
    try {
        SocketHandle.IP = BoundIP;
        SocketHandle.BindLocal();
        SocketHandle.SetRemote(address, Port);
        if (!UseNagle) {
            const int32_t on = 1;
            SocketHandle.SetOption(Id_IPPROTO_TCP, Id_TCP_NODELAY, &on, sizeof on);
        }
        ReportStatus(StatusConnecting, SocketHandle.RemoteIP);
        GSocketStack->CheckSocketResult(SocketHandle.ConnectRemote(SocketHandle.Family, BoundedConnectTimeout(timeoutMs)));
    } catch (...) {
        // The first failure is the one to report; closing must not replace it.
        try {
            CloseConnection();
        } catch (...) {
        }
        throw;
    }
}

int32_t TIdTCPClient::BoundedConnectTimeout(int32_t connectTimeout) const
{
    bool cut = false;
    return Limits.BoundWait(connectTimeout, cut);
}

std::string TIdTCPClient::ConnectAndGetAll()
{
    OpenConnection();
    std::string result;
    try {
        result = ReadUntilClosed();
    } catch (...) {
        CloseConnection();
        throw;
    }
    CloseConnection();
    return result;
}
