// Registration fields from whois text. Registries each write their own labels; the tables
// hold the ones seen in registry port-43 replies (gTLD registries after the 2013 agreement,
// and the country-code registries named beside their rows).
#include "cli/registration.h"

#include "cli/registry_date.h"
#include "runtime/text.h"

#include <algorithm>
#include <functional>

namespace {

enum class TField { Registrar, Created, Updated, Expires, Status, NameServer, Dnssec, AbuseEmail };

struct TLabel {
    std::string_view Label;  // compared with letter case ignored
    TField Field;
};

constexpr TLabel kLabels[] = {
    // gTLD registries and many country codes on the same model (.ca, .co, .in, .me, ...)
    {"registrar", TField::Registrar},
    {"sponsoring registrar", TField::Registrar},
    {"registrar name", TField::Registrar},
    {"creation date", TField::Created},
    {"updated date", TField::Updated},
    {"registry expiry date", TField::Expires},
    {"registrar registration expiration date", TField::Expires},
    {"domain status", TField::Status},
    {"name server", TField::NameServer},
    {"dnssec", TField::Dnssec},
    {"registrar abuse contact email", TField::AbuseEmail},
    // Older registrar layouts, and .kr, .tw, .ca
    {"expiration date", TField::Expires},
    {"expiry date", TField::Expires},  // .uk, .ca, .au-style "Expiry Date"
    {"expires on", TField::Expires},
    {"registration expiration date", TField::Expires},
    {"created on", TField::Created},
    {"registered on", TField::Created},  // .uk
    {"last updated", TField::Updated},   // .uk
    {"last updated on", TField::Updated},
    // RIPE-style registries: .fr, .it, .cz, .se, .nu, .ee, .pl
    {"created", TField::Created},
    {"changed", TField::Updated},
    {"last-update", TField::Updated},   // .fr
    {"expire date", TField::Expires},   // .it
    {"expire", TField::Expires},        // .cz
    {"expires", TField::Expires},       // .se, .nu, .br, .fi ("expires............")
    {"expiry", TField::Expires},
    {"renewal date", TField::Expires},  // .pl
    {"status", TField::Status},
    {"state", TField::Status},          // .ru
    {"nserver", TField::NameServer},
    {"nameserver", TField::NameServer},
    {"nameservers", TField::NameServer},
    {"name servers", TField::NameServer},  // .uk
    {"registered", TField::Created},       // .cz
    // .ru, .su
    {"paid-till", TField::Expires},
    {"free-date", TField::Expires},
    {"registration date", TField::Created},
    {"registration time", TField::Created},  // .cn
    {"expiration time", TField::Expires},    // .cn
};

// "  Registry Expiry Date: 2026-..." -> key "registry expiry date", value "2026-...".
// The key loses the dots some registries pad it with ("expires............").
bool SplitLine(std::string_view line, std::string& key, std::string& value)
{
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon > 64) return false;
    std::string_view k = line.substr(0, colon);
    while (!k.empty() && (k.back() == '.' || k.back() == ' ' || k.back() == '\t')) k.remove_suffix(1);
    key = LowerCase(Trim(k));
    value = Trim(line.substr(colon + 1));
    return !key.empty();
}

const TLabel* Find(const std::string& key)
{
    for (const TLabel& label : kLabels)
        if (key == label.Label) return &label;
    return nullptr;
}

void SetDate(std::optional<int64_t>& field, bool& seen, const std::string& value)
{
    // The first line of a kind decides, even when its date cannot be read.
    if (seen) return;
    seen = true;
    field = ReadRegistryDate(value);
}

void SetOnce(std::string& field, const std::string& value)
{
    if (field.empty()) field = value;
}

// A status as "clientTransferProhibited https://icann.org/epp#..." keeps its first word.
std::string FirstWord(const std::string& value) { return value.substr(0, value.find_first_of(" \t")); }

// Lists stay short whatever the reply holds, so that keeping them unique stays cheap.
constexpr size_t kMaxListed = 32;

void AddOnce(std::vector<std::string>& list, std::string value)
{
    if (value.empty() || list.size() >= kMaxListed) return;
    if (std::find(list.begin(), list.end(), value) == list.end()) list.push_back(std::move(value));
}

// "REGISTERED, DELEGATED" (.ru) or "clientHold https://..." (gTLD): the first word of each part.
void AddStatuses(std::vector<std::string>& list, const std::string& value)
{
    size_t start = 0;
    while (start <= value.size()) {
        const size_t comma = std::min(value.find(',', start), value.size());
        AddOnce(list, FirstWord(Trim(std::string_view(value).substr(start, comma - start))));
        start = comma + 1;
    }
}

// A name server as "ns1.example.ru." or "NS1.EXAMPLE.COM 192.0.2.1": the name, small letters.
std::string ServerName(const std::string& value)
{
    std::string name = LowerCase(FirstWord(value));
    if (!name.empty() && name.back() == '.') name.pop_back();
    return name;
}

}  // namespace

void ForEachLine(std::string_view text, const std::function<void(std::string_view)>& each)
{
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        each(text.substr(start, end - start));
        start = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
    }
}

TRegistration RegistrationFromWhois(std::string_view text)
{
    TRegistration r;
    r.Source = "whois";
    bool created = false, updated = false, expires = false;
    // A label alone on its line (.uk's "Registrar:", "Name servers:") has its values on
    // the lines after it, up to a blank or labelled line.
    const TLabel* pending = nullptr;
    ForEachLine(text, [&](std::string_view line) {
        std::string key, value;
        const TLabel* label = nullptr;
        if (SplitLine(line, key, value)) {
            label = Find(key);
            pending = label != nullptr && value.empty() ? label : nullptr;
        } else if (Trim(line).empty()) {
            pending = nullptr;
        } else if (pending != nullptr) {
            label = pending;
            value = Trim(line);
        }
        if (label == nullptr || value.empty()) return;
        switch (label->Field) {
        case TField::Registrar: SetOnce(r.Registrar, value); break;
        case TField::Created: SetDate(r.Created, created, value); break;
        case TField::Updated: SetDate(r.Updated, updated, value); break;
        case TField::Expires: SetDate(r.Expires, expires, value); break;
        case TField::Status: AddStatuses(r.Statuses, value); break;
        case TField::NameServer: AddOnce(r.NameServers, ServerName(value)); break;
        case TField::Dnssec: SetOnce(r.Dnssec, value); break;
        case TField::AbuseEmail: SetOnce(r.AbuseEmail, value); break;
        }
    });
    return r;
}
