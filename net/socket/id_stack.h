#pragma once
#include "net/socket/id_global.h"
#include "net/socket/id_stack_version.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

// The process-wide socket stack: wraps each platform socket call, converts addresses
// between text and bytes, resolves host names and turns failed calls into exceptions.
// Wrappers return the platform's result unchanged unless said otherwise.
class TIdStack {
public:
    TIdStack();
    virtual ~TIdStack();
    TIdStack(const TIdStack&) = delete;
    TIdStack& operator=(const TIdStack&) = delete;

    // Address text. None of these calls the platform.
    bool IsDottedQuad(const std::string& text) const;
    // "LOCALHOST" (any case) -> 127.0.0.1 without the resolver; a dotted quad or IPv6
    // text unchanged; anything else the first of LookupHostAddresses.
    std::string HostToAddress(const std::string& host);
    // The same, with every address of a name, to be tried in turn.
    std::vector<std::string> HostToAddresses(const std::string& host);
    // Raises EConvertError for a part that is not a number.
    virtual std::array<uint8_t, 4> TextToAddress(const std::string& text) = 0;
    virtual std::string AddressToText(const std::array<uint8_t, 4>& address) = 0;

    // First IPv4 address of the name; EIdSocketError with the resolver's error otherwise.
    virtual std::string LookupHostByName(const std::string& name) = 0;
    // Every address of the name, both families, in the system's order of preference;
    // a name that does not resolve raises as LookupHostByName does.
    virtual std::vector<std::string> LookupHostAddresses(const std::string& name);

    // socket(family, type, protocol); EIdInvalidSocket when refused.
    int32_t OpenSocket(int32_t type, int32_t protocol, int32_t family = Id_PF_INET);

    // Waits for any of the descriptors; each present list is replaced by those that are
    // ready. More than 64 in one list raises EIdStackSetSizeExceeded before anything
    // else. Returns the platform's result (ready count, 0 on time-out, -1 on failure).
    virtual int32_t SelectSockets(std::vector<int32_t>* read, std::vector<int32_t>* write,
                                  std::vector<int32_t>* error, int32_t timeoutMs) = 0;

    // false for a result other than -1; true when the last error is tolerated; raises
    // EIdSocketError otherwise.
    bool CheckSocketResult(int32_t result, std::initializer_list<int32_t> tolerated = {});
    [[noreturn]] void ThrowSocketError(int32_t code);
    // "Socket Error # %d\r\n%s" with the code's text (empty for unknown codes).
    virtual std::string SocketErrorMessage(int32_t code);
    virtual int32_t LastSocketErrorCode() = 0;
    virtual void SetLastSocketErrorCode(int32_t code) = 0;

    virtual uint16_t HToNS(uint16_t value) = 0;
    virtual uint16_t NToHS(uint16_t value) = 0;
    virtual uint32_t HToNL(uint32_t value) = 0;
    virtual uint32_t NToHL(uint32_t value) = 0;

    // An empty ip means any local address. Addresses are of the family of their text
    // (see id_socket_address.h).
    virtual int32_t WSBind(int32_t socket, int32_t family, const std::string& ip, int32_t port) = 0;
    virtual int32_t WSCloseSocket(int32_t socket) = 0;
    virtual int32_t WSConnect(int32_t socket, int32_t family, const std::string& ip, int32_t port) = 0;
    virtual int32_t WSRecv(int32_t socket, void* buffer, int32_t length, int32_t flags) = 0;
    virtual int32_t WSRecvFrom(int32_t socket, void* buffer, int32_t length, int32_t flags,
                               std::string& ip, int32_t& port) = 0;
    virtual int32_t WSSend(int32_t socket, const void* buffer, int32_t length, int32_t flags) = 0;
    virtual int32_t WSSendTo(int32_t socket, const void* buffer, int32_t length, int32_t flags,
                             const std::string& ip, int32_t port) = 0;
    virtual int32_t WSSetSockOpt(int32_t socket, int32_t level, int32_t name, const void* value,
                                 int32_t length) = 0;
    virtual int32_t WSSocket(int32_t family, int32_t type, int32_t protocol) = 0;
    virtual int32_t WSShutdown(int32_t socket, int32_t how) = 0;
    // Raise EIdSocketError on failure.
    virtual void WSGetPeerName(int32_t socket, int32_t& family, std::string& ip, int32_t& port) = 0;
    virtual void WSGetSockName(int32_t socket, int32_t& family, std::string& ip, int32_t& port) = 0;

    // For a connect with a time limit: switch blocking off/on, and read the socket's
    // pending error (0 when none).
    virtual int32_t WSSetNonBlocking(int32_t socket, bool nonBlocking) = 0;
    virtual int32_t WSPendingError(int32_t socket) = 0;

    TIdStackVersion* Version() const { return FVersion.get(); }

protected:
    std::unique_ptr<TIdStackVersion> FVersion;
};

// The stack over the platform stand-in of platform/winsock.h. There is no library to load
// or start on this platform, so construction cannot fail.
class TIdStackWinsock : public TIdStack {
public:
    TIdStackWinsock();
    ~TIdStackWinsock() override;

    std::array<uint8_t, 4> TextToAddress(const std::string& text) override;
    std::string AddressToText(const std::array<uint8_t, 4>& address) override;
    std::string LookupHostByName(const std::string& name) override;
    std::vector<std::string> LookupHostAddresses(const std::string& name) override;
    int32_t SelectSockets(std::vector<int32_t>* read, std::vector<int32_t>* write,
                          std::vector<int32_t>* error, int32_t timeoutMs) override;
    int32_t LastSocketErrorCode() override;
    void SetLastSocketErrorCode(int32_t code) override;

    uint16_t HToNS(uint16_t value) override;
    uint16_t NToHS(uint16_t value) override;
    uint32_t HToNL(uint32_t value) override;
    uint32_t NToHL(uint32_t value) override;

    int32_t WSBind(int32_t socket, int32_t family, const std::string& ip, int32_t port) override;
    int32_t WSCloseSocket(int32_t socket) override;
    int32_t WSConnect(int32_t socket, int32_t family, const std::string& ip, int32_t port) override;
    int32_t WSRecv(int32_t socket, void* buffer, int32_t length, int32_t flags) override;
    int32_t WSRecvFrom(int32_t socket, void* buffer, int32_t length, int32_t flags,
                       std::string& ip, int32_t& port) override;
    int32_t WSSend(int32_t socket, const void* buffer, int32_t length, int32_t flags) override;
    int32_t WSSendTo(int32_t socket, const void* buffer, int32_t length, int32_t flags,
                     const std::string& ip, int32_t port) override;
    int32_t WSSetSockOpt(int32_t socket, int32_t level, int32_t name, const void* value,
                         int32_t length) override;
    int32_t WSSocket(int32_t family, int32_t type, int32_t protocol) override;
    int32_t WSShutdown(int32_t socket, int32_t how) override;
    void WSGetPeerName(int32_t socket, int32_t& family, std::string& ip, int32_t& port) override;
    void WSGetSockName(int32_t socket, int32_t& family, std::string& ip, int32_t& port) override;
    int32_t WSSetNonBlocking(int32_t socket, bool nonBlocking) override;
    int32_t WSPendingError(int32_t socket) override;
};

// The one stack of the process, alive while StackUsers > 0 (see TIdComponent). Components
// on several threads count atomically; a program running jobs keeps one component on its
// main thread for their whole life, so that the stack is made and ended there alone.
extern TIdStack* GSocketStack;
extern std::atomic<int32_t> StackUsers;
