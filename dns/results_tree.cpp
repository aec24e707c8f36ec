#include "dns/results_tree.h"

std::string LinkAddress(const std::string& text)
{
    static constexpr char Scheme[] = "http://";
    const size_t length = sizeof Scheme - 1 + text.size();
    if (length >= kLinkBufferSize) return "";
    return Scheme + text;
}
