#include "rdap/number_lookup.h"

#include "rdap/json_access.h"
#include "rdap/number_render.h"
#include "rdap/rdap_error.h"

TRdapNumberBootstrap& TRdapNumberServers::For(TNumberFamily family)
{
    return family == TNumberFamily::Ipv4 ? Ipv4 : family == TNumberFamily::Ipv6 ? Ipv6 : Asn;
}

const TRdapNumberBootstrap& TRdapNumberServers::For(TNumberFamily family) const
{
    return const_cast<TRdapNumberServers&>(*this).For(family);
}

const char* NumberBootstrapName(TNumberFamily family)
{
    return family == TNumberFamily::Ipv4 ? "ipv4" : family == TNumberFamily::Ipv6 ? "ipv6" : "asn";
}

std::string RdapNumberBase(const TRdapNumberServers& servers, const TNumberQuery& query)
{
    const TRdapNumberBootstrap& file = servers.For(query.Family);
    const std::string name = std::string(NumberBootstrapName(query.Family)) + ".json";
    const bool asn = query.Family == TNumberFamily::Asn;
    const std::string what = asn ? "AS" + query.Text : query.Text;
    if (file.Empty())
        throw ERdapNoServer("Pas de fichier " + name + " : pas de recherche RDAP pour " + what + ".");
    std::string base = file.BaseUrlFor(query.Number);
    if (base.empty())
        throw ERdapNoServer("Aucun bloc de " + name + " ne contient " + what + " : aucun registre \xC3\xA0 interroger.");
    return base;
}

std::string RdapNumberText(const TRdapNumberServers& servers, const TNumberQuery& query, const TRdapGet& get)
{
    if (const std::optional<std::string> special = SpecialPurposeLine(query)) return *special + "\r\n";
    const std::string url = RdapNumberUrl(RdapNumberBase(servers, query), query);
    const TRdapReply reply = get(url);
    const std::string& answered = reply.Url.empty() ? url : reply.Url;
    if (reply.Status == 404)
        return "R\xC3\xA9ponse RDAP de " + rdap_json::Clean(answered) + "\r\n\r\n404 : aucun registre ne conna\xC3\xAEt " +
               (query.Family == TNumberFamily::Asn ? "ce num\xC3\xA9ro d'AS" : "cette adresse") + ".\r\n";
    if (reply.Status != 200) RdapRefused(answered, reply);
    return RenderRdapNumber(url, answered, reply.Body);
}
