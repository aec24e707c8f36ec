// Takes arbitrary bytes as dns.dat (the INI reader stops at the first NUL) and as the
// resolver configuration; the NUL-separated pieces after the first NUL are the domain,
// then a section and a key to read. A value read is the fallback or text of the file; a
// server chosen for a name without "." is none; the default server is a dotted quad or
// none, and a readable file reports no failure.
#include "dns/dns_servers.h"
#include "net/dns/id_dns_resource.h"
#include "platform/profile.h"
#include "runtime/files.h"
#include "fuzz/fail_if.h"

#include <arpa/inet.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

// A directory of this process, in memory when the system offers it, removed at exit with
// the file written there.
struct TWorkDirectory {
    std::string Path;  // with a trailing "/"
    TWorkDirectory()
    {
        std::string pattern = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        pattern += "/norvane-fuzz-dns-XXXXXX";
        FailIf(mkdtemp(pattern.data()) == nullptr);
        Path = pattern + "/";
    }
    ~TWorkDirectory()
    {
        std::remove((Path + "dns.dat").c_str());
        rmdir(Path.c_str());
    }
};

// The NUL-separated piece `index` after the first NUL; "" when the input has fewer.
std::string Piece(std::string_view input, int index)
{
    size_t start = input.find('\0');
    for (int i = 0; i < index && start != std::string_view::npos; ++i) start = input.find('\0', start + 1);
    if (start == std::string_view::npos) return "";
    const size_t end = input.find('\0', start + 1);
    return std::string(input.substr(start + 1, end == std::string_view::npos ? end : end - start - 1));
}

// A dotted quad, or IPv6 text with an optional zone after "%".
bool IsServerAddress(const std::string& address)
{
    in_addr parsed{};
    in6_addr parsed6{};
    return (address.size() < 16 && inet_pton(AF_INET, address.c_str(), &parsed) == 1) ||
           inet_pton(AF_INET6, address.substr(0, address.find('%')).c_str(), &parsed6) == 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    static const TWorkDirectory dir;
    const std::string path = dir.Path + "dns.dat";
    WriteFileBytes(path, text);

    const std::string domain = Piece(text, 0);
    const std::string server = SelectDnsServer(TIdDNSResourceList(), domain, dir.Path);
    FailIf(text.find(server) == std::string::npos);
    FailIf(domain.find('.') == std::string::npos && !server.empty());

    const std::string fallback = "\x01 fallback";
    const std::string value = ProfileStringFromText(Piece(text, 1), Piece(text, 2), fallback, text);
    FailIf(value != fallback && text.find(value) == std::string::npos);

    int failures = 0;
    const std::string dnsDefault = LoadDefaultDnsServer([&failures](const std::string&) { ++failures; }, path);
    FailIf(failures != 0 || (!dnsDefault.empty() && !IsServerAddress(dnsDefault)));
    return 0;
}
