#include "update/data_stamp.h"

#include "runtime/text.h"

#include <algorithm>

bool StampOfText(std::string_view text, std::string& stamp)
{
    const std::vector<std::string> lines = SplitLines(text);
    if (lines.empty() || lines.front().find('#') == std::string::npos) return false;
    stamp = Trim(std::string_view(lines.front()).substr(1));
    return true;
}

bool StampIsNewer(std::string_view a, std::string_view b)
{
    const auto digits = [](std::string_view s) { return !s.empty() && s.find_first_not_of("0123456789") == s.npos; };
    if (digits(a) && digits(b)) {
        a.remove_prefix(std::min(a.find_first_not_of('0'), a.size()));
        b.remove_prefix(std::min(b.find_first_not_of('0'), b.size()));
        if (a.size() != b.size()) return a.size() > b.size();
    }
    return a > b;
}

std::string DataFileBytes(std::string_view body)
{
    std::string bytes;
    bytes.reserve(body.size() + body.size() / 16);
    for (const std::string& line : SplitLines(body)) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}
