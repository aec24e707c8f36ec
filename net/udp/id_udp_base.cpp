#include "net/udp/id_udp_base.h"

#include "net/socket/id_socket_address.h"
#include "net/socket/id_stack.h"
#include "net/udp/id_udp_exceptions.h"

#include <algorithm>

TIdUDPBase::TIdUDPBase() = default;

TIdUDPBase::~TIdUDPBase() {
    SetActive(false);
}

void TIdUDPBase::ReleaseSocket() {
    SocketHandle.reset();
}

bool TIdUDPBase::IsActive() const {
    return ActivePending || (SocketHandle && SocketHandle->Allocated);
}

TIdSocketHandle& TIdUDPBase::EnsureSocket() {
    return EnsureSocket(SocketHandle && SocketHandle->Allocated ? SocketHandle->Family : Id_PF_INET);
}

TIdSocketHandle& TIdUDPBase::EnsureSocket(int32_t family) {
    if (!SocketHandle) SocketHandle = std::make_unique<TIdSocketHandle>();
    if (!SocketHandle->Allocated || SocketHandle->Family != family) {
        SocketHandle->Allocate(Id_SOCK_DGRAM, Id_IPPROTO_IP, family);
        BroadcastChanged();
    }
    return *SocketHandle;
}

void TIdUDPBase::SetActive(bool value) {
    if (value == IsActive()) return;
    if (IsLoading()) {
        ActivePending = value;
    } else if (value) {
        EnsureSocket();
    } else {
        ReleaseSocket();
    }
}

void TIdUDPBase::Loaded() {
    TIdComponent::Loaded();
    const bool pending = ActivePending;
    ActivePending = false;
    SetActive(pending);
}

void TIdUDPBase::SetBroadcastEnabled(bool value) {
    if (value == FBroadcastEnabled) return;
    FBroadcastEnabled = value;
    if (IsActive()) BroadcastChanged();
}

void TIdUDPBase::BroadcastChanged() {
    // While loading, IsActive may be true with no socket yet; EnsureSocket applies it later.
    if (!SocketHandle || !SocketHandle->Allocated) return;
    const int32_t value = FBroadcastEnabled ? -1 : 0;
    SocketHandle->SetOption(Id_SOL_SOCKET, Id_SO_BROADCAST, &value, sizeof value);
}

void TIdUDPBase::SendText(const std::string& data) {
    SendTextTo(Host, Port, data);
}

void TIdUDPBase::SendTextTo(const std::string& host, int32_t port, const std::string& data) {
    SendBytesTo(host, port, data.data(), static_cast<int32_t>(data.size()));
}

void TIdUDPBase::SendBytesTo(const std::string& host, int32_t port, const void* buffer,
                             int32_t count) {
    const std::string address = GSocketStack->HostToAddress(host);
    EnsureSocket(AddressFamilyOf(address)).SendDatagram(address, port, buffer, count);
}

int32_t TIdUDPBase::ReceiveBytes(void* buffer, int32_t size, std::string& peerIP,
                                 int32_t& peerPort, int32_t timeout) {
    if (timeout == UseDefaultTimeout) timeout = ReceiveTimeout;
    TIdSocketHandle& handle = EnsureSocket();
    if (!handle.WaitReadable(timeout)) {
        peerIP.clear();
        peerPort = 0;
        return 0;
    }
    const int32_t received = handle.ReceiveDatagram(buffer, size, 0, peerIP, peerPort);
    GSocketStack->CheckSocketResult(received);
    if (received == 0) throw EIdUDPReceiveErrorZeroBytes();
    return received;
}

std::string TIdUDPBase::ReceiveText(std::string& peerIP, int32_t& peerPort, int32_t timeout) {
    std::string data(static_cast<size_t>(std::max(BufferSize, 0)), '\0');
    const int32_t received = ReceiveBytes(data.data(), static_cast<int32_t>(data.size()), peerIP,
                                          peerPort, timeout);
    data.resize(static_cast<size_t>(received));
    return data;
}

std::string TIdUDPBase::ReceiveText(int32_t timeout) {
    std::string peerIP;
    int32_t peerPort = 0;
    return ReceiveText(peerIP, peerPort, timeout);
}
