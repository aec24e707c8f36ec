#include "cli/json_records.h"

#include "dns/host_info.h"
#include "runtime/codepage.h"
#include "runtime/text.h"

#include <cstdlib>
#include <vector>

namespace {

using nlohmann::json;

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t tab = line.find('\t'); tab != std::string::npos; start = tab + 1, tab = line.find('\t', start))
        fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    return fields;
}

// "ID 4242", "Flags 0x8580", "QD 1"...: the number after the blank.
long long Number(const std::string& field) { return std::strtoll(field.c_str() + field.find(' ') + 1, nullptr, 0); }

json Header(const std::vector<std::string>& f)
{
    return {{"id", Number(f[0])}, {"flags", Number(f[1])}, {"qd", Number(f[2])},
            {"an", Number(f[3])}, {"ns", Number(f[4])},    {"ar", Number(f[5])}};
}

json Record(const std::vector<std::string>& f)
{
    json data = json::array();
    for (size_t i = 5; i < f.size(); ++i) data.push_back(Cp1252ToUtf8(f[i]));
    return {{"section", f[0]}, {"owner", Cp1252ToUtf8(f[1])}, {"ttl", std::strtoll(f[2].c_str(), nullptr, 10)},
            {"class", f[3]},   {"type", f[4]},                {"data", data}};
}

}  // namespace

json DnsListingJson(const std::string& server, const std::string& name, const std::string& listing)
{
    json out = {{"server", Cp1252ToUtf8(server)}, {"name", Cp1252ToUtf8(name)}, {"transport", nullptr},
                {"header", nullptr}, {"records", json::array()}, {"error", nullptr}};
    for (const std::string& line : SplitLines(listing)) {
        const std::vector<std::string> f = Fields(line);
        if (out["header"].is_null() && f.size() >= 6) {
            out["header"] = Header(f);
            if (f.size() > 6) out["transport"] = f[6];
        } else if (f.size() >= 5) {
            out["records"].push_back(Record(f));
        }
    }
    return out;
}

json ReverseLookupJson(const std::string& address, const TReverseLookup& result)
{
    const char* outcome = result.Status == ReverseFound ? "found" : result.Status == ReverseNoRecord ? "no-record" : "failed";
    const std::string text = Cp1252ToUtf8(result.Text);
    return {{"address", address}, {"outcome", outcome}, {"host", result.Status == ReverseFound ? json(text) : json(nullptr)},
            {"text", text}};
}
