#include "rdap/rdap_render.h"

#include "rdap/json_access.h"
#include "rdap/rdap_error.h"
#include "rdap/redactions.h"
#include "rdap/vcard.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace {

using rdap_json::HasRole;
using rdap_json::json;
using rdap_json::List;
using rdap_json::Member;
using rdap_json::Scalar;
using rdap_json::Text;

class TWriter {
public:
    explicit TWriter(TRedactions& redactions) : FRedactions(redactions) {}

    // "Label: value"; without a value, "Label: REDACTED" when the registry withheld that
    // field (said once), nothing otherwise.
    void Field(std::string_view label, const std::string& value)
    {
        const bool redacted = FRedactions.Take(label);
        if (value.empty() && !redacted) return;
        Out.append(label).append(": ").append(value.empty() ? "REDACTED" : rdap_json::Clean(value)).append("\r\n");
    }
    void Line(std::string_view text) { Out.append(rdap_json::Clean(text)).append("\r\n"); }
    // Free text of the registry's: its line breaks (LF, CR LF, CR) are its paragraphs, one
    // line each; a break at the very end opens none, an empty text is an empty line.
    void Paragraphs(std::string_view text)
    {
        if (text.empty()) Blank();
        while (!text.empty()) {
            const size_t end = std::min(text.find_first_of("\r\n"), text.size());
            Line(text.substr(0, end));
            const size_t breakLength = text.compare(end, 2, "\r\n") == 0 ? 2 : 1;
            text.remove_prefix(std::min(end + breakLength, text.size()));
        }
    }
    void Blank() { Out.append("\r\n"); }
    std::string Out;

private:
    TRedactions& FRedactions;
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

void WriteNotes(TWriter& w, const json& notes)
{
    for (const json& note : notes) {
        w.Blank();
        if (const std::string title = Text(note, "title"); !title.empty()) w.Line(title);
        for (const json& line : List(note, "description"))
            if (line.is_string()) w.Paragraphs(line.get_ref<const std::string&>());
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
    TRedactions redactions(domain);
    TWriter w(redactions);
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
    if (const std::string update = EventDate(domain, "last update of RDAP database"); !update.empty()) {
        w.Blank();
        w.Line(">>> Last update of RDAP database: " + update + " <<<");
    }
    return {std::move(w.Out), LinkHref(domain, "related", "application/rdap+json")};
}
