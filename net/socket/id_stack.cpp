#include "net/socket/id_stack.h"

#include "net/socket/id_exceptions.h"
#include "net/socket/id_socket_error_text.h"
#include "platform/winsock.h"
#include "runtime/text.h"

// The process's stack, its error handling and its waits; the per-call forwarders are in
// id_stack_calls.cpp, address text and name look-up in id_stack_address.cpp.
TIdStack* GSocketStack = nullptr;
std::atomic<int32_t> StackUsers{0};

TIdStackVersionWinsock::TIdStackVersionWinsock()
{
    Name = "Winsock stack";
}

TIdStack::TIdStack() = default;
TIdStack::~TIdStack() = default;

int32_t TIdStack::OpenSocket(int32_t type, int32_t protocol, int32_t family)
{
    const int32_t socket = WSSocket(family, type, protocol);
    if (socket == Id_INVALID_SOCKET) throw EIdInvalidSocket();
    return socket;
}

bool TIdStack::CheckSocketResult(int32_t result, std::initializer_list<int32_t> tolerated)
{
    if (result != Id_SOCKET_ERROR) return false;
    const int32_t code = LastSocketErrorCode();
    for (int32_t ok : tolerated)
        if (ok == code) return true;
    ThrowSocketError(code);
}

void TIdStack::ThrowSocketError(int32_t code)
{
    throw EIdSocketError(code, SocketErrorMessage(code));
}

std::string TIdStack::SocketErrorMessage(int32_t code)
{
    return Format("Socket Error # %d\r\n%s", code, SocketErrorText(code));
}

// There is no library file to load or start on this platform: the calls are bound at
// link time and need no start-up, so only the version record is filled.
TIdStackWinsock::TIdStackWinsock()
{
    auto version = std::make_unique<TIdStackVersionWinsock>();
    version->Version = 0x0101;
    version->MaxVersion = 0x0101;
    version->MaxSockets = winsock::WS_FD_SETSIZE;
    version->MaxUdpDg = 65467;
    version->Description = "Sockets over POSIX";
    version->SystemStatus = "Running";
    FVersion = std::move(version);
}

TIdStackWinsock::~TIdStackWinsock() = default;

int32_t TIdStackWinsock::SelectSockets(std::vector<int32_t>* read, std::vector<int32_t>* write,
                                       std::vector<int32_t>* error, int32_t timeoutMs)
{
    std::vector<int32_t>* lists[3] = {read, write, error};
    // Checked before anything is copied or waited for.
    for (const auto* list : lists)
        if (list != nullptr && list->size() > static_cast<size_t>(winsock::WS_FD_SETSIZE))
            throw EIdStackSetSizeExceeded();

    winsock::fd_set sets[3];
    winsock::fd_set* setPointers[3] = {nullptr, nullptr, nullptr};
    for (int i = 0; i < 3; ++i) {
        sets[i].fd_count = 0;
        if (lists[i] == nullptr) continue;
        for (int32_t socket : *lists[i]) sets[i].fd_array[sets[i].fd_count++] = socket;
        setPointers[i] = &sets[i];
    }
    winsock::timeval limit{};
    const winsock::timeval* limitPointer = nullptr;
    // WaitForever (-2) waits without limit; so does any other negative value, which would
    // otherwise make every wait fail at once and leave callers spinning.
    if (timeoutMs >= 0) {
        limit.tv_sec = timeoutMs / 1000;
        limit.tv_usec = (timeoutMs % 1000) * 1000;
        limitPointer = &limit;
    }
    const int32_t result = winsock::select(0, setPointers[0], setPointers[1], setPointers[2], limitPointer);
    for (int i = 0; i < 3; ++i) {
        if (lists[i] == nullptr) continue;
        // A failed wait leaves the lists as they were given.
        if (result < 0) continue;
        lists[i]->assign(sets[i].fd_array, sets[i].fd_array + sets[i].fd_count);
    }
    return result;
}

int32_t TIdStackWinsock::LastSocketErrorCode() { return winsock::WSAGetLastError(); }
void TIdStackWinsock::SetLastSocketErrorCode(int32_t code) { winsock::WSASetLastError(code); }
