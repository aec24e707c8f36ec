#include "net/socket/id_tcp_client.h"

#include "net/socket/id_exceptions.h"
#include "net/socket/id_stack.h"

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
    SocketHandle.Allocate(Id_SOCK_STREAM, Id_IPPROTO_IP);
    try {
        SocketHandle.IP = BoundIP;
        SocketHandle.BindLocal();
        if (!GSocketStack->IsDottedQuad(Host)) ReportStatus(StatusResolving, Host);
        SocketHandle.SetRemote(GSocketStack->HostToAddress(Host), Port);
        if (!UseNagle) {
            const int32_t on = 1;
            SocketHandle.SetOption(Id_IPPROTO_TCP, Id_TCP_NODELAY, &on, sizeof on);
        }
        ReportStatus(StatusConnecting, SocketHandle.RemoteIP);
        GSocketStack->CheckSocketResult(SocketHandle.ConnectRemote(Id_PF_INET, BoundedConnectTimeout()));
    } catch (...) {
        // The first failure is the one to report; closing must not replace it.
        try {
            CloseConnection();
        } catch (...) {
        }
        throw;
    }
    ReportStatus(StatusConnected, SocketHandle.RemoteIP);
    DoConnected();
}

int32_t TIdTCPClient::BoundedConnectTimeout() const
{
    bool cut = false;
    return Limits.BoundWait(Limits.ConnectTimeout, cut);
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
