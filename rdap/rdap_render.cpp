#include "rdap/rdap_render.h"

#include "rdap/json_access.h"
#include "rdap/redactions.h"
#include "rdap/render_writer.h"
#include "rdap/vcard.h"

#include <string_view>
#include <vector>

namespace {

using namespace rdap_render;

void WriteRegistrar(TWriter& w, const json& domain)
{
    const json* registrar = EntityWithRole(domain, "registrar");
    if (registrar == nullptr) return;
    w.Field("Registrar", EntityName(*registrar));
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

void WriteContact(TWriter& w, const std::string& who, const TVcard& card, const std::string& handle)
{
    // A contact known by its handle alone is named by it, as port-43 whois names it.
    if (!Shown(card.Name)) w.Field(who, handle);
    const std::pair<const char*, const std::string*> fields[] = {
        {" Name", &card.Name},         {" Organization", &card.Organization}, {" Street", &card.Street},
        {" City", &card.City},         {" State/Province", &card.Region},     {" Postal Code", &card.PostalCode},
        {" Country", &card.Country},   {" Phone", &card.Phone},               {" Fax", &card.Fax},
        {" Email", &card.Email}};
    for (const auto& [label, value] : fields) w.Field(who + label, Shown(*value) ? *value : std::string());
}

void WriteContacts(TWriter& w, const json& domain)
{
    static const std::pair<const char*, const char*> roles[] = {
        {"registrant", "Registrant"}, {"administrative", "Admin"}, {"technical", "Tech"}, {"billing", "Billing"}};
    for (const auto& [role, who] : roles) {
        bool present = false;
        for (const json& entity : List(domain, "entities")) {
            if (!HasRole(entity, role)) continue;
            present = true;
            WriteContact(w, who, ReadVcard(entity), Text(entity, "handle"));
        }
        // A contact withheld whole still shows which of its fields were withheld.
        if (!present) WriteContact(w, who, TVcard{}, "");
    }
}

// What was withheld that no field of the layout stands for.
void WriteOtherRedactions(TWriter& w, const TRedactions& redactions)
{
    const std::vector<const TRedactions::TEntry*> rest = redactions.Rest();
    if (rest.empty()) return;
    w.Blank();
    w.Line("Redacted");
    for (const TRedactions::TEntry* entry : rest) w.Line(entry->Name + " (" + entry->Method + ")");
}

}  // namespace

TRdapRendering RenderRdapDomain(const std::string& url, std::string_view body)
{
    const json domain = ParseObject(url, body);
    TRedactions redactions(domain);
    TWriter w(&redactions);
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
    WriteOtherRedactions(w, redactions);
    WriteNotes(w, List(domain, "remarks"));
    WriteNotes(w, List(domain, "notices"));
    WriteDatabaseUpdate(w, domain);
    return {std::move(w.Out), LinkHref(domain, "related", "application/rdap+json")};
}
