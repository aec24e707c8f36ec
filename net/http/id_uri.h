#pragma once
#include <string>

// The parts of a URL as the client uses them. No percent-decoding: "?" and the query
// stay in Resource.
struct TIdURI {
    std::string Protocol;
    std::string Host;
    std::string Port;
    std::string Path;  // always begins with "/"
    std::string Resource;
    std::string Fragment;
};

TIdURI SplitUrl(const std::string& url);
