#pragma once
#include "platform/winsock.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// A resolver answer that owns its bytes: the platform's entry lives in an area of the
// thread that asked, which the next call on that thread reuses, and that thread may be
// one of its own (see RunBlockingCall).
class THostEntryCopy {
public:
    // Lists are read up to this many entries, addresses up to 16 bytes: the platform gives
    // far fewer, and a runaway list must not take the window with it.
    static constexpr size_t MaxListEntries = 1024;
    static constexpr int32_t MaxAddressLength = 16;

    explicit THostEntryCopy(const winsock::hostent& entry);
    THostEntryCopy(const THostEntryCopy&) = delete;
    THostEntryCopy& operator=(const THostEntryCopy&) = delete;

    const winsock::hostent& Entry() const { return FEntry; }

private:
    std::string FName;
    std::vector<std::string> FAliases;
    std::vector<std::string> FAddresses;
    std::vector<char*> FAliasList;
    std::vector<char*> FAddressList;
    winsock::hostent FEntry{};
};

// Runs one resolver call through RunBlockingCall and returns a copy of its answer (null,
// with the platform's last error set, when it gave none).
std::shared_ptr<const THostEntryCopy> CopiedResolverCall(std::function<const winsock::hostent*()> call);
