#include "rdap/rdap_render.h"

#include "rdap/json_access.h"
#include "rdap/rdap_error.h"
#include "rdap/vcard.h"

#include <string_view>

namespace {

using rdap_json::HasRole;
using rdap_json::json;
using rdap_json::List;
using rdap_json::Member;
using rdap_json::Scalar;
using rdap_json::Text;

class TWriter {
public:
    // "Label: value", left out when the value is empty.
    void Field(std::string_view label, const std::string& value)
    {
        if (value.empty()) return;
        Out.append(label).append(": ").append(rdap_json::Clean(value)).append("\r\n");
    }
    void Line(const std::string& text) { Out.append(rdap_json::Clean(text)).append("\r\n"); }
    void Blank() { Out.append("\r\n"); }
    std::string Out;
};

std::string EventDate(const json& object, std::string_view action)
{
    for (const json& event : List(object, "events"))
        if (Text(event, "eventAction") == action) return Text(event, "eventDate");
    return {};
}

const json* EntityWithRole(const json& object, std::string_view role)
{
    for (const json& entity : List(object, "entities"))
        if (HasRole(entity, role)) return &entity;
    return nullptr;
}

std::string LinkHref(const json& object, std::string_view rel, std::string_view type = {})
{
    for (const json& link : List(object, "links"))
        if (Text(link, "rel") == rel && (type.empty() || Text(link, "type") == type)) return Text(link, "href");
    return {};
}

void WriteRegistrar(TWriter& w, const json& domain)
{
    const json* registrar = EntityWithRole(domain, "registrar");
    if (registrar == nullptr) return;
    w.Field("Registrar", ReadVcard(*registrar).Name);
    for (const json& id : List(*registrar, "publicIds"))
        if (Text(id, "type") == "IANA Registrar ID") w.Field("Registrar IANA ID", Scalar(Member(id, "identifier")));
    w.Field("Registrar URL", LinkHref(*registrar, "about"));
    if (const json* abuse = EntityWithRole(*registrar, "abuse")) {
        const TVcard card = ReadVcard(*abuse);
        w.Field("Registrar Abuse Contact Email", card.Email);
        w.Field("Registrar Abuse Contact Phone", card.Phone);
    }
}

void WriteDnssec(TWriter& w, const json& domain)
{
    const auto secure = domain.find("secureDNS");
    if (secure == domain.end() || !secure->is_object()) return;
    const auto signedFlag = secure->find("delegationSigned");
    if (signedFlag != secure->end() && signedFlag->is_boolean())
        w.Field("DNSSEC", signedFlag->get<bool>() ? "signedDelegation" : "unsigned");
    for (const json& ds : List(*secure, "dsData")) {
        if (!ds.is_object()) continue;
        w.Field("DNSSEC DS Data", Scalar(Member(ds, "keyTag")) + " " + Scalar(Member(ds, "algorithm")) + " " +
                                      Scalar(Member(ds, "digestType")) + " " + Text(ds, "digest"));
    }
}

// What a redacted field holds in place of the data (RFC 9537 leaves it empty or says so).
bool Shown(const std::string& value) { return !value.empty() && value.rfind("REDACTED", 0) != 0 && value.rfind("Redacted", 0) != 0; }

void WriteContact(TWriter& w, const std::string& who, const TVcard& card)
{
    const std::pair<const char*, const std::string*> fields[] = {
        {" Name", &card.Name},         {" Organization", &card.Organization}, {" Street", &card.Street},
        {" City", &card.City},         {" State/Province", &card.Region},     {" Postal Code", &card.PostalCode},
        {" Country", &card.Country},   {" Phone", &card.Phone},               {" Fax", &card.Fax},
        {" Email", &card.Email}};
    for (const auto& [label, value] : fields)
        if (Shown(*value)) w.Field(who + label, *value);
}

void WriteContacts(TWriter& w, const json& domain)
{
    static const std::pair<const char*, const char*> roles[] = {
        {"registrant", "Registrant"}, {"administrative", "Admin"}, {"technical", "Tech"}, {"billing", "Billing"}};
    for (const auto& [role, who] : roles)
        for (const json& entity : List(domain, "entities"))
            if (HasRole(entity, role)) WriteContact(w, who, ReadVcard(entity));
}

void WriteNotes(TWriter& w, const json& notes)
{
    for (const json& note : notes) {
        w.Blank();
        if (const std::string title = Text(note, "title"); !title.empty()) w.Line(title);
        for (const json& line : List(note, "description"))
            if (line.is_string()) w.Line(line.get<std::string>());
        for (const json& link : List(note, "links"))
            if (const std::string href = Text(link, "href"); !href.empty()) w.Line(href);
    }
}

}  // namespace

TRdapRendering RenderRdapDomain(const std::string& url, std::string_view body)
{
    const json domain = json::parse(body.begin(), body.end(), nullptr, false);
    if (domain.is_discarded() || !domain.is_object())
        throw ERdapError("RDAP reply from " + url + " is not a JSON object.");
    TWriter w;
    w.Line("R\xC3\xA9ponse RDAP de " + url);
    w.Blank();
    w.Field("Domain Name", Text(domain, "ldhName"));
    w.Field("Registry Domain ID", Text(domain, "handle"));
    WriteRegistrar(w, domain);
    w.Field("Creation Date", EventDate(domain, "registration"));
    w.Field("Updated Date", EventDate(domain, "last changed"));
    w.Field("Registry Expiry Date", EventDate(domain, "expiration"));
    for (const json& status : List(domain, "status"))
        if (status.is_string()) w.Field("Domain Status", status.get<std::string>());
    for (const json& server : List(domain, "nameservers")) w.Field("Name Server", Text(server, "ldhName"));
    WriteDnssec(w, domain);
    WriteContacts(w, domain);
    WriteNotes(w, List(domain, "remarks"));
    WriteNotes(w, List(domain, "notices"));
    if (const std::string update = EventDate(domain, "last update of RDAP database"); !update.empty()) {
        w.Blank();
        w.Line(">>> Last update of RDAP database: " + update + " <<<");
    }
    return {std::move(w.Out), LinkHref(domain, "related", "application/rdap+json")};
}
