#include "update/data_stamp.h"

#include "runtime/text.h"

bool StampOfText(std::string_view text, std::string& stamp)
{
    const std::vector<std::string> lines = SplitLines(text);
    if (lines.empty() || lines.front().find('#') == std::string::npos) return false;
    stamp = Trim(std::string_view(lines.front()).substr(1));
    return true;
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
