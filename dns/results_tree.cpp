#include "dns/results_tree.h"

std::string LinkAddress(const std::string& text)
{
    static constexpr char Scheme[] = "http://";
    // An IPv6 address is written in brackets in an address a browser opens.
    const std::string host = text.find(':') != std::string::npos ? "[" + text + "]" : text;
    const size_t length = sizeof Scheme - 1 + host.size();
    if (length >= kLinkBufferSize) return "";
    return Scheme + host;
}
