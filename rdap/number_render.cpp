#include "rdap/number_render.h"

#include "rdap/json_access.h"
#include "rdap/number_bootstrap.h"
#include "rdap/render_writer.h"
#include "rdap/vcard.h"

#include <vector>

namespace {

using namespace rdap_render;

// Entities hold entities (the abuse contact of the holder, say): this far down, no further.
constexpr int kEntityDepth = 4;

const json* NestedEntityWithRole(const json& object, std::string_view role, int depth)
{
    if (const json* found = EntityWithRole(object, role)) return found;
    if (depth == 0) return nullptr;
    for (const json& entity : List(object, "entities"))
        if (const json* found = NestedEntityWithRole(entity, role, depth - 1)) return found;
    return nullptr;
}

// The prefixes of the cidr0 extension, "a.b.c.d/len" each.
std::vector<std::string> Cidr0Prefixes(const json& network)
{
    std::vector<std::string> prefixes;
    for (const json& cidr : List(network, "cidr0_cidrs")) {
        std::string prefix = Text(cidr, "v4prefix");
        if (prefix.empty()) prefix = Text(cidr, "v6prefix");
        const std::string length = Scalar(Member(cidr, "length"));
        if (!prefix.empty() && !length.empty()) prefixes.push_back(prefix + "/" + length);
    }
    return prefixes;
}

// "start/len" when the range from start to end is one prefix, "" otherwise.
std::string RangePrefix(const std::string& start, const std::string& end)
{
    const bool six = start.find(':') != std::string::npos;
    const TNumberFamily family = six ? TNumberFamily::Ipv6 : TNumberFamily::Ipv4;
    TRdapNumber first = 0, last = 0;
    if (!ParseIpAddress(family, start, first) || !ParseIpAddress(family, end, last) || last < first) return {};
    const TRdapNumber hostMask = last - first;  // a prefix: a run of ones, and first aligned on it
    if ((hostMask & (hostMask + 1)) != 0 || (first & hostMask) != 0) return {};
    int hostBits = 0;
    for (TRdapNumber rest = hostMask; rest != 0; rest >>= 1) ++hostBits;
    return start + "/" + std::to_string((six ? 128 : 32) - hostBits);
}

std::string Range(const std::string& start, const std::string& end)
{
    if (start.empty() || end.empty() || start == end) return start.empty() ? end : start;
    return start + " - " + end;
}

void WriteHolderAndAbuse(TWriter& w, const json& object)
{
    if (const json* holder = NestedEntityWithRole(object, "registrant", 0)) {
        const TVcard card = ReadVcard(*holder);
        w.Field("Organization", card.Organization.empty() ? EntityName(*holder) : card.Organization);
        w.Field("OrgId", Text(*holder, "handle"));
    }
    if (const json* abuse = NestedEntityWithRole(object, "abuse", kEntityDepth)) {
        const TVcard card = ReadVcard(*abuse);
        w.Field("OrgAbuseHandle", Text(*abuse, "handle"));
        w.Field("OrgAbuseEmail", card.Email);
        w.Field("OrgAbusePhone", card.Phone);
    }
}

void WriteNetwork(TWriter& w, const json& network)
{
    const std::string start = Text(network, "startAddress"), end = Text(network, "endAddress");
    w.Field("NetRange", Range(start, end));
    std::vector<std::string> prefixes = Cidr0Prefixes(network);
    if (prefixes.empty()) prefixes.push_back(RangePrefix(start, end));
    for (const std::string& prefix : prefixes) w.Field("CIDR", prefix);
    w.Field("NetName", Text(network, "name"));
    w.Field("NetHandle", Text(network, "handle"));
    w.Field("Parent", Text(network, "parentHandle"));
    w.Field("NetType", Text(network, "type"));
}

void WriteAutnum(TWriter& w, const json& autnum)
{
    w.Field("ASNumber", Range(Scalar(Member(autnum, "startAutnum")), Scalar(Member(autnum, "endAutnum"))));
    w.Field("ASName", Text(autnum, "name"));
    w.Field("ASHandle", Text(autnum, "handle"));
    w.Field("ASType", Text(autnum, "type"));
}

}  // namespace

std::string RenderRdapNumber(const std::string& url, const std::string& answered, std::string_view body)
{
    const json object = ParseObject(answered, body);
    TWriter w;
    w.Line("R\xC3\xA9ponse RDAP de " + answered);
    if (answered != url) w.Line("(redirig\xC3\xA9" "e par " + url + ")");
    w.Blank();
    if (Text(object, "objectClassName") == "autnum")
        WriteAutnum(w, object);
    else
        WriteNetwork(w, object);
    w.Field("Country", Text(object, "country"));
    for (const json& status : List(object, "status"))
        if (status.is_string()) w.Field("Status", status.get<std::string>());
    WriteHolderAndAbuse(w, object);
    w.Field("RegDate", EventDate(object, "registration"));
    w.Field("Updated", EventDate(object, "last changed"));
    WriteNotes(w, List(object, "remarks"));
    WriteNotes(w, List(object, "notices"));
    WriteDatabaseUpdate(w, object);
    return std::move(w.Out);
}
