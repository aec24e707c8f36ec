#include "net/http/id_header_list.h"

#include "runtime/text.h"

namespace {

bool IsContinuation(const std::string& line) { return !line.empty() && (line[0] == ' ' || line[0] == '\t'); }

bool EndsWithBlank(const std::string& text) { return !text.empty() && (text.back() == ' ' || text.back() == '\t'); }

}  // namespace

void TIdHeaderList::Delete(int index)
{
    if (index < 0 || index >= Count()) return;
    FLines.erase(FLines.begin() + index);
}

void TIdHeaderList::AddLines(const TIdHeaderList& other)
{
    FLines.insert(FLines.end(), other.FLines.begin(), other.FLines.end());
}

std::string TIdHeaderList::NameOfLine(int index) const
{
    if (index < 0 || index >= Count()) return {};
    const std::string& line = FLines[static_cast<size_t>(index)];
    const size_t colon = line.find(':');
    if (colon == std::string::npos) return {};
    return NamesCaseSensitive ? line.substr(0, colon) : UpperCase(std::string_view(line).substr(0, colon));
}

// Compares in place: building the upper-case name of every line would allocate per line.
bool TIdHeaderList::NameMatches(const std::string& line, const std::string& name) const
{
    if (line.size() <= name.size() || line[name.size()] != ':') return false;
    if (name.find(':') != std::string::npos) return false;
    const std::string_view head = std::string_view(line).substr(0, name.size());
    return NamesCaseSensitive ? head == name : SameText(head, name);
}

int TIdHeaderList::FindHeader(const std::string& name) const
{
    for (size_t i = 0; i < FLines.size(); ++i)
        if (NameMatches(FLines[i], name)) return static_cast<int>(i);
    return -1;
}

std::string TIdHeaderList::ValueOfLine(int index) const
{
    if (index < 0 || index >= Count()) return {};
    const std::string& line = FLines[static_cast<size_t>(index)];
    const size_t colon = line.find(':');
    std::string value = colon == std::string::npos ? std::string() : line.substr(colon + 1);
    if (UnfoldOnRead) {
        for (size_t next = static_cast<size_t>(index) + 1; next < FLines.size() && IsContinuation(FLines[next]); ++next) {
            if (!value.empty() && !EndsWithBlank(value)) value += ' ';
            value += TrimLeft(FLines[next]);
        }
    }
    return TrimLeft(value);
}

void TIdHeaderList::RemoveHeader(const std::string& name)
{
    const int found = FindHeader(name);
    if (found < 0) return;
    auto first = FLines.begin() + found;
    auto last = first + 1;
    while (last != FLines.end() && IsContinuation(*last)) ++last;
    // One erase for the header and all its continuation lines keeps this linear.
    FLines.erase(first, last);
}
