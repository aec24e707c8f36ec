// Registration fields from RDAP domain objects (RFC 9083).
#include "cli/registration.h"

#include "cli/registry_date.h"
#include "rdap/json_access.h"
#include "rdap/vcard.h"
#include "runtime/text.h"

namespace {

using rdap_json::json;
using rdap_json::List;
using rdap_json::Text;

std::optional<int64_t> EventDate(const json& object, std::string_view action)
{
    for (const json& event : List(object, "events"))
        if (Text(event, "eventAction") == action) return ReadRegistryDate(Text(event, "eventDate"));
    return std::nullopt;
}

const json* EntityWithRole(const json& object, std::string_view role)
{
    for (const json& entity : List(object, "entities"))
        if (rdap_json::HasRole(entity, role)) return &entity;
    return nullptr;
}

std::string Dnssec(const json& domain)
{
    const json& signedFlag = rdap_json::Member(rdap_json::Member(domain, "secureDNS"), "delegationSigned");
    if (!signedFlag.is_boolean()) return {};
    return signedFlag.get<bool>() ? "signedDelegation" : "unsigned";
}

// One object's fields.
TRegistration Read(const json& domain)
{
    TRegistration r;
    r.Source = "rdap";
    if (const json* registrar = EntityWithRole(domain, "registrar")) {
        r.Registrar = rdap_json::Clean(ReadVcard(*registrar).Name);
        if (const json* abuse = EntityWithRole(*registrar, "abuse")) r.AbuseEmail = rdap_json::Clean(ReadVcard(*abuse).Email);
    }
    r.Created = EventDate(domain, "registration");
    r.Updated = EventDate(domain, "last changed");
    r.Expires = EventDate(domain, "expiration");
    for (const json& status : List(domain, "status"))
        if (status.is_string()) r.Statuses.push_back(rdap_json::Clean(status.get<std::string>()));
    for (const json& server : List(domain, "nameservers"))
        if (const std::string name = Text(server, "ldhName"); !name.empty()) r.NameServers.push_back(LowerCase(rdap_json::Clean(name)));
    r.Dnssec = Dnssec(domain);
    return r;
}

template <typename T> void Fill(T& field, const T& other)
{
    if (field == T{}) field = other;
}

}  // namespace

TRegistration RegistrationFromRdap(const json& registry, const json* registrar)
{
    TRegistration r = Read(registry);
    if (registrar == nullptr || !registrar->is_object()) return r;
    const TRegistration more = Read(*registrar);
    Fill(r.Registrar, more.Registrar);
    Fill(r.Created, more.Created);
    Fill(r.Updated, more.Updated);
    Fill(r.Expires, more.Expires);
    Fill(r.Statuses, more.Statuses);
    Fill(r.NameServers, more.NameServers);
    Fill(r.Dnssec, more.Dnssec);
    Fill(r.AbuseEmail, more.AbuseEmail);
    return r;
}
