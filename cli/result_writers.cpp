#include "cli/result_writers.h"

#include "cli/registry_date.h"
#include "runtime/codepage.h"
#include "runtime/text.h"

namespace {

using nlohmann::json;

json Date(const std::optional<int64_t>& seconds) { return seconds ? json(IsoUtc(*seconds)) : json(nullptr); }

json DaysLeft(const std::optional<TRegistration>& r, int64_t now)
{
    if (!r || !r->Expires) return nullptr;
    return DaysBetween(now, *r->Expires);
}

json Text(const std::string& text) { return text.empty() ? json(nullptr) : json(text); }

json RegistrationJson(const TRegistration& r, int64_t now)
{
    return {{"source", r.Source},          {"registrar", Text(r.Registrar)},    {"created", Date(r.Created)},
            {"updated", Date(r.Updated)},  {"expires", Date(r.Expires)},        {"days_left", DaysLeft(r, now)},
            {"statuses", r.Statuses},      {"nameservers", r.NameServers},      {"dnssec", Text(r.Dnssec)},
            {"abuse_email", Text(r.AbuseEmail)}};
}

json ExchangeJson(const TRdapExchange& e)
{
    return {{"url", e.Url}, {"status", e.Status == 0 ? json(nullptr) : json(e.Status)}, {"object", e.Object},
            {"error", Text(e.Error)}};
}

json RdapJson(const std::vector<TRdapExchange>& exchanges)
{
    if (exchanges.empty()) return nullptr;
    json rdap = ExchangeJson(exchanges[0]);
    rdap["referral"] = exchanges.size() > 1 ? ExchangeJson(exchanges[1]) : json(nullptr);
    return rdap;
}

json WhoisJson(const TNameResult& r)
{
    if (!r.WhoisAsked) return nullptr;
    return {{"server", r.WhoisServer}, {"text", r.WhoisText ? json(*r.WhoisText) : json(nullptr)},
            {"error", Text(r.WhoisError)}};
}

std::string Joined(const std::vector<std::string>& items)
{
    std::string out;
    for (const std::string& item : items) out += (out.empty() ? "" : " ") + item;
    return out;
}

std::string Errors(const TNameResult& r)
{
    std::string out;
    for (const TFailure& f : r.Failures) out += (out.empty() ? "" : "; ") + f.Stage + ": " + f.Message;
    return out;
}

}  // namespace

std::string CompactJson(const json& value) { return value.dump(-1, ' ', false, json::error_handler_t::replace); }

json TreeJson(const std::vector<TTreeLine>& lines)
{
    json top = json::array();
    // The open node at each depth; a line deeper than the one before by more than one
    // hangs under the last open node.
    std::vector<json*> open;
    for (const TTreeLine& line : lines) {
        const size_t depth = std::min(static_cast<size_t>(std::max(line.Depth, 0)), open.size());
        open.resize(depth);
        json& siblings = depth == 0 ? top : (*open.back())["children"];
        siblings.push_back({{"title", Cp1252ToUtf8(line.Text)}, {"children", json::array()}});
        open.push_back(&siblings.back());
    }
    return top;
}

std::string JsonLine(const TNameResult& r, int64_t now)
{
    json failures = json::array();
    for (const TFailure& f : r.Failures) failures.push_back({{"stage", f.Stage}, {"message", f.Message}});
    const json object = {{"name", r.Typed},
                         {"ascii", Text(r.Ascii)},
                         {"outcome", Outcome(r)},
                         {"whois", WhoisJson(r)},
                         {"rdap", RdapJson(r.Rdap)},
                         {"registration", r.Registration ? RegistrationJson(*r.Registration, now) : json(nullptr)},
                         {"dns", TreeJson(r.Tree)},
                         {"failures", failures}};
    return CompactJson(object) + "\n";
}

std::string CsvField(std::string_view text)
{
    // A control character a server sent is written as JSON writes it, "\u001b": a
    // spreadsheet or a terminal reading the file must not act on it.
    std::string clean;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        clean += byte < 0x20 || byte == 0x7F ? Format("\\u%04x", byte) : std::string(1, c);
    }
    if (clean.find_first_of(",\"") == std::string::npos) return clean;
    std::string out = "\"";
    for (const char c : clean) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

std::string CsvHeader() { return "name,source,registrar,created,expires,days_left,status,nameservers,error\r\n"; }

std::string CsvRow(const TNameResult& r, int64_t now)
{
    const std::optional<TRegistration>& reg = r.Registration;
    const json days = DaysLeft(reg, now);
    const std::string fields[] = {
        r.Typed,
        reg ? reg->Source : "",
        reg ? reg->Registrar : "",
        reg && reg->Created ? IsoUtc(*reg->Created) : "",
        reg && reg->Expires ? IsoUtc(*reg->Expires) : "",
        days.is_null() ? "" : days.dump(),
        reg ? Joined(reg->Statuses) : "",
        reg ? Joined(reg->NameServers) : "",
        Outcome(r) == "ok" ? Errors(r) : Outcome(r) + ": " + Errors(r),
    };
    std::string row;
    for (const std::string& field : fields) row += CsvField(field) + ",";
    row.back() = '\r';
    return row + "\n";
}

std::string Outcome(const TNameResult& r)
{
    if (r.Limited) return "limited";
    for (const TFailure& f : r.Failures)
        if (f.Stage == "name") return "failed";
    if (r.Registration || (!r.WhoisAsked && r.Rdap.empty() && !r.Ascii.empty())) return "ok";
    return "failed";
}
