// Loads arbitrary bytes as whois.dat and looks names up in it: the names after the first
// NUL (which ends the catalogue's text), one per NUL-separated piece, and a name under
// the first keyed line's own key. A lookup either finds a server that some line names or
// tells the user why not, once; the catalogue's own first key is always found.
#include "app/whois_catalogue.h"
#include "fuzz/fail_if.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace {

constexpr int kMaxNames = 8;

bool SomeLineNames(const TWhoisServers& servers, const std::string& host)
{
    for (int i = 0; i < servers.Count(); ++i) {
        const size_t equals = servers[i].find('=');
        if (equals != std::string::npos && servers[i].compare(equals + 1, std::string::npos, host) == 0) return true;
    }
    return false;
}

std::string Lookup(const TWhoisServers& servers, std::string_view name)
{
    std::string queryTemplate;
    int port = -1;
    int errors = 0;
    const std::string host =
        FindWhoisServer(servers, name, queryTemplate, port, [&errors](const std::string&) { ++errors; });
    FailIf(errors != (host.empty() ? 1 : 0));
    FailIf(!host.empty() && !SomeLineNames(servers, host));
    return host;
}

// The first line holding "=" is the first match for its key; its value comes back for any
// name ending in "." and that key, when the key survives the name's trimming.
void CheckFirstKeyFound(const TWhoisServers& servers)
{
    for (int i = 0; i < servers.Count(); ++i) {
        const std::string& line = servers[i];
        const size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = line.substr(0, equals);
        const std::string value = line.substr(equals + 1);
        const bool usable = key.find('.') == std::string::npos &&
                            (key.empty() || static_cast<unsigned char>(key.back()) > 32) && !value.empty();
        if (usable) FailIf(Lookup(servers, "example." + key) != value);
        return;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    TWhoisServers servers;
    servers.SetText(input);
    FailIf(static_cast<size_t>(servers.Count()) > size);
    CheckFirstKeyFound(servers);

    size_t start = input.find('\0');
    for (int n = 0; n < kMaxNames && start != std::string_view::npos; ++n) {
        const size_t end = input.find('\0', start + 1);
        Lookup(servers, input.substr(start + 1, end == std::string_view::npos ? end : end - start - 1));
        start = end;
    }
    return 0;
}
