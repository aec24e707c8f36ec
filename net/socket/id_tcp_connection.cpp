#include "net/socket/id_tcp_connection.h"

#include "net/socket/id_exceptions.h"
#include "net/socket/id_stack.h"

#include <algorithm>

// The connection's state, its close, and the sends. The receive step is in
// id_tcp_receive.cpp, the reads over it in id_tcp_read.cpp.
namespace {

constexpr int32_t DefaultBufferSize = 32768;

}  // namespace

TIdTCPConnection::TIdTCPConnection() : FRecvBufferSize(DefaultBufferSize)
{
    SendBufferSize = DefaultBufferSize;
}

// The handle closes an open socket itself, without status reports or OnDisconnected.
TIdTCPConnection::~TIdTCPConnection() = default;

void TIdTCPConnection::SetRecvBufferSize(int32_t size)
{
    // A receive into zero bytes would look like the peer's close.
    FRecvBufferSize = std::max<int32_t>(size, 1);
}

void TIdTCPConnection::DoDisconnected()
{
    if (OnDisconnected) OnDisconnected(*this);
}

void TIdTCPConnection::ResetState()
{
    SocketHandle.Clear(true);
    InBuffer.Release();
    PeerClosed = false;
    Limits.ResetPeak();
}

void TIdTCPConnection::EnsureOpen(bool raiseIfClosed, bool ignoreBuffer)
{
    if (!PeerClosed && SocketHandle.Allocated) return;
    if (SocketHandle.Allocated) DropSocket();
    if (raiseIfClosed && (InBuffer.Size() == 0 || ignoreBuffer)) throw EIdConnClosedGracefully();
}

void TIdTCPConnection::PollPeerClosed(bool raiseIfClosed)
{
    FillInBuffer(raiseIfClosed, 1);
}

bool TIdTCPConnection::IsConnected()
{
    EnsureOpen(false, false);
    return SocketHandle.Allocated;
}

void TIdTCPConnection::CloseConnection()
{
    DropSocket();
}

void TIdTCPConnection::DropSocket()
{
    if (!SocketHandle.Allocated) return;
    ReportStatus(StatusDisconnecting, SocketHandle.RemoteIP);
    SocketHandle.Close(true);
    PeerClosed = true;
    ReportStatus(StatusDisconnected);
    DoDisconnected();
}

void TIdTCPConnection::SendBytes(const void* bytes, int32_t count, bool sendNow)
{
    (void)sendNow;  // there is no output buffer: every send goes out at once
    if (count <= 0 || bytes == nullptr) return;
    EnsureOpen(true, true);
    const auto* data = static_cast<const uint8_t*>(bytes);
    int32_t sent = 0;
    while (sent < count) {
        const int32_t n = SocketHandle.SendData(data + sent, count - sent, 0);
        PeerClosed = n == 0;
        EnsureOpen(true, false);
        if (GSocketStack->CheckSocketResult(n, {Id_WSAESHUTDOWN})) {
            DropSocket();
            GSocketStack->ThrowSocketError(Id_WSAESHUTDOWN);
        }
        AdvanceWork(WorkWrite, n);
        sent += n;
    }
}

void TIdTCPConnection::SendText(const std::string& text)
{
    if (!text.empty()) SendBytes(text.data(), static_cast<int32_t>(text.size()));
}

void TIdTCPConnection::SendLine(const std::string& text)
{
    SendText(text + "\r\n");
}

void TIdTCPConnection::SendLines(const std::vector<std::string>& lines)
{
    for (const std::string& line : lines) SendLine(line);
}

void TIdTCPConnection::SendInt32(int32_t value, bool convert)
{
    uint32_t bytes = static_cast<uint32_t>(value);
    if (convert) bytes = GSocketStack->HToNL(bytes);
    SendBytes(&bytes, 4);
}

void TIdTCPConnection::SendStream(TIdStream& stream, bool fromStart, bool withSize)
{
    if (fromStart) stream.SetPosition(0);
    const int64_t size = std::max<int64_t>(stream.Size() - stream.Position(), 0);
    if (withSize) SendInt32(static_cast<int32_t>(size), true);
    TIdWorkBracket work(*this, WorkWrite, static_cast<int32_t>(size));
    std::string buffer(static_cast<size_t>(std::max<int32_t>(SendBufferSize, 1)), '\0');
    for (;;) {
        const int64_t k = std::min<int64_t>(stream.Size() - stream.Position(), static_cast<int64_t>(buffer.size()));
        if (k <= 0) break;
        const int64_t got = stream.Read(buffer.data(), k);
        if (got <= 0) throw EIdNoDataToRead();
        SendBytes(buffer.data(), static_cast<int32_t>(got));
    }
}
