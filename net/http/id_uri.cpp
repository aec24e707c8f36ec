#include "net/http/id_uri.h"

#include <algorithm>

namespace {

// "host", "host:port", "[v6]" or "[v6]:port": an IPv6 address stands in brackets, so
// that its colons are not taken for the port's.
void SplitAuthority(const std::string& authority, TIdURI& parts)
{
    const size_t close = authority.size() > 1 && authority[0] == '[' ? authority.find(']') : std::string::npos;
    if (close != std::string::npos) {
        parts.Host = authority.substr(1, close - 1);
        if (authority.compare(close + 1, 1, ":") == 0) parts.Port = authority.substr(close + 2);
        return;
    }
    const size_t colon = authority.find(':');
    parts.Host = authority.substr(0, colon);
    if (colon != std::string::npos) parts.Port = authority.substr(colon + 1);
}

}  // namespace

TIdURI SplitUrl(const std::string& url)
{
    TIdURI parts;
    std::string rest = url;
    std::replace(rest.begin(), rest.end(), '\\', '/');

    const size_t scheme = rest.find("://");
    if (scheme != std::string::npos) {
        parts.Protocol = rest.substr(0, scheme);
        rest.erase(0, scheme + 3);
        const size_t slash = rest.find('/');
        SplitAuthority(rest.substr(0, slash), parts);
        rest.erase(0, slash == std::string::npos ? rest.size() : slash + 1);
    }

    // The fragment starts at the first "#", wherever it stands: a "#" must never reach
    // the request target, even when a "/" follows it.
    const size_t hash = rest.find('#');
    if (hash != std::string::npos) {
        parts.Fragment = rest.substr(hash + 1);
        rest.erase(hash);
    }

    const size_t lastSlash = rest.rfind('/');
    if (lastSlash != std::string::npos) {
        parts.Path = rest.substr(0, lastSlash + 1);
        parts.Resource = rest.substr(lastSlash + 1);
    } else {
        parts.Resource = rest;
    }
    if (parts.Path.empty() || parts.Path[0] != '/') parts.Path = "/" + parts.Path;
    return parts;
}
