#include "net/http/id_uri.h"

#include <algorithm>

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
        parts.Host = rest.substr(0, slash);
        rest.erase(0, slash == std::string::npos ? rest.size() : slash + 1);
        const size_t colon = parts.Host.find(':');
        if (colon != std::string::npos) {
            parts.Port = parts.Host.substr(colon + 1);
            parts.Host.erase(colon);
        }
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
