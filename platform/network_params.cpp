#include "platform/network_params.h"

#include "runtime/text.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

uint32_t ReadConfig(const std::string& path, std::string& text)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == EACCES ? kErrorAccessDenied : kErrorFileNotFound;
    char chunk[4096];
    ssize_t n;
    while ((n = ::read(fd, chunk, sizeof chunk)) > 0) text.append(chunk, static_cast<size_t>(n));
    ::close(fd);
    return n < 0 ? kErrorAccessDenied : 0;
}

// An IPv4 address, or an IPv6 one with an optional "%zone" (name or number), as the
// system's resolver accepts them; anything longer than the record holds is passed over.
bool IsServerAddress(const std::string& address)
{
    if (address.empty() || address.size() >= sizeof(FixedInfo::DnsServerIpAddress)) return false;
    in_addr parsed{};
    if (::inet_pton(AF_INET, address.c_str(), &parsed) == 1) return true;
    const std::string bare = address.substr(0, address.find('%'));
    in6_addr parsed6{};
    return bare.size() + 1 != address.size() && ::inet_pton(AF_INET6, bare.c_str(), &parsed6) == 1;
}

// The address of the first "nameserver" line that holds one.
std::string FirstNameserver(const std::string& text)
{
    for (const std::string& raw : SplitLines(text)) {
        const std::string line = Trim(raw);
        if (line.rfind("nameserver", 0) != 0 || line.size() <= 10 || static_cast<unsigned char>(line[10]) > 32) continue;
        // The address ends at the first blank or comment mark, as the system's own reader has it.
        std::string address = Trim(line.substr(10));
        address = address.substr(0, address.find_first_of(";# \t"));
        if (IsServerAddress(address)) return address;
    }
    return "";
}

}  // namespace

uint32_t GetNetworkParams(FixedInfo* info, uint32_t* size, const std::string& resolverConfig)
{
    if (info == nullptr || *size < sizeof(FixedInfo)) {
        *size = sizeof(FixedInfo);
        return kErrorBufferOverflow;
    }
    std::string text;
    if (const uint32_t code = ReadConfig(resolverConfig, text); code != 0) return code;
    const std::string address = FirstNameserver(text);
    std::memset(info->DnsServerIpAddress, 0, sizeof info->DnsServerIpAddress);
    std::memcpy(info->DnsServerIpAddress, address.data(), address.size());
    return 0;
}
