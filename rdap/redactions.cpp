#include "rdap/redactions.h"

#include "rdap/json_access.h"
#include "runtime/text.h"

#include <utility>

namespace {

using rdap_json::json;

// The words registries put before a contact's field, and the layout's word for each.
const std::pair<std::string_view, std::string_view> kRoles[] = {
    {"registrant", "registrant"}, {"administrative", "admin"}, {"admin", "admin"},
    {"technical", "tech"},        {"tech", "tech"},            {"billing", "billing"}};

// A contact's field as registries name it, and as the layout labels it; a whole
// contact withheld is said where its name would stand.
const std::pair<std::string_view, std::string_view> kFields[] = {
    {"name", "name"},
    {"contact", "name"},
    {"organization", "organization"},
    {"organisation", "organization"},
    {"street", "street"},
    {"city", "city"},
    {"state/province", "state/province"},
    {"state", "state/province"},
    {"province", "state/province"},
    {"postal code", "postal code"},
    {"postcode", "postal code"},
    {"country", "country"},
    {"country code", "country"},
    {"phone", "phone"},
    {"voice", "phone"},
    {"fax", "fax"},
    {"email", "email"},
    {"e-mail", "email"}};

}  // namespace

std::string RedactionLabel(std::string_view name)
{
    const std::string lower = LowerCase(Trim(name));
    for (const auto& [role, who] : kRoles) {
        if (lower.size() <= role.size() + 1 || lower.compare(0, role.size(), role) != 0 || lower[role.size()] != ' ')
            continue;
        const std::string_view field = std::string_view(lower).substr(role.size() + 1);
        for (const auto& [written, label] : kFields)
            if (field == written) return std::string(who) + " " + std::string(label);
    }
    return lower;
}

TRedactions::TRedactions(const json& object)
{
    for (const json& entry : rdap_json::List(object, "redacted")) {
        const json& name = rdap_json::Member(entry, "name");
        std::string written = rdap_json::Text(name, "type");
        if (written.empty()) written = rdap_json::Text(name, "description");
        if (Trim(written).empty()) continue;
        std::string method = rdap_json::Text(entry, "method");
        if (method.empty()) method = "removal";
        FByLabel[RedactionLabel(written)].push_back(FEntries.size());
        FEntries.push_back({written, method});
    }
}

bool TRedactions::Take(std::string_view label)
{
    // By label, not by a walk of every entry: a page asks once per field of each of as
    // many contacts as the reply holds.
    const auto found = FByLabel.find(LowerCase(label));
    if (found == FByLabel.end()) return false;
    for (const size_t index : found->second) FEntries[index].Taken = true;
    FByLabel.erase(found);
    return true;
}

std::vector<const TRedactions::TEntry*> TRedactions::Rest() const
{
    std::vector<const TEntry*> rest;
    for (const TEntry& entry : FEntries)
        if (!entry.Taken) rest.push_back(&entry);
    return rest;
}
