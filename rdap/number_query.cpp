#include "rdap/number_query.h"

#include <arpa/inet.h>

#include <vector>

namespace {

std::string_view Trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

struct TSpecialRange {
    TNumberFamily Family;
    const char* Block;
    const char* What;  // UTF-8; for AS numbers, with the RFC that sets the range apart
};

// IANA's special-purpose registries (addresses: RFC 6890 and its updates), multicast and
// the reserved IPv4 class E besides.
const TSpecialRange kSpecialRanges[] = {
    {TNumberFamily::Ipv4, "0.0.0.0/8", "\xC2\xAB ce r\xC3\xA9seau \xC2\xBB"},
    {TNumberFamily::Ipv4, "10.0.0.0/8", "r\xC3\xA9seau priv\xC3\xA9"},
    {TNumberFamily::Ipv4, "100.64.0.0/10", "espace partag\xC3\xA9 des op\xC3\xA9rateurs"},
    {TNumberFamily::Ipv4, "127.0.0.0/8", "boucle locale"},
    {TNumberFamily::Ipv4, "169.254.0.0/16", "lien local"},
    {TNumberFamily::Ipv4, "172.16.0.0/12", "r\xC3\xA9seau priv\xC3\xA9"},
    {TNumberFamily::Ipv4, "192.0.0.0/24", "protocoles de l'IETF"},
    {TNumberFamily::Ipv4, "192.0.2.0/24", "documentation"},
    {TNumberFamily::Ipv4, "192.88.99.0/24", "relais 6to4"},
    {TNumberFamily::Ipv4, "192.168.0.0/16", "r\xC3\xA9seau priv\xC3\xA9"},
    {TNumberFamily::Ipv4, "198.18.0.0/15", "tests de performances"},
    {TNumberFamily::Ipv4, "198.51.100.0/24", "documentation"},
    {TNumberFamily::Ipv4, "203.0.113.0/24", "documentation"},
    {TNumberFamily::Ipv4, "224.0.0.0/4", "multidiffusion"},
    {TNumberFamily::Ipv4, "240.0.0.0/4", "r\xC3\xA9serv\xC3\xA9" "e"},
    {TNumberFamily::Ipv6, "::/128", "adresse non sp\xC3\xA9" "cifi\xC3\xA9" "e"},
    {TNumberFamily::Ipv6, "::1/128", "boucle locale"},
    {TNumberFamily::Ipv6, "::ffff:0:0/96", "adresse IPv4 repr\xC3\xA9sent\xC3\xA9" "e en IPv6"},
    {TNumberFamily::Ipv6, "64:ff9b::/96", "traduction IPv4/IPv6"},
    {TNumberFamily::Ipv6, "64:ff9b:1::/48", "traduction IPv4/IPv6 locale"},
    {TNumberFamily::Ipv6, "100::/64", "adresses \xC3\xA0 jeter"},
    {TNumberFamily::Ipv6, "2001::/23", "protocoles de l'IETF"},
    {TNumberFamily::Ipv6, "2001:db8::/32", "documentation"},
    {TNumberFamily::Ipv6, "2002::/16", "6to4"},
    {TNumberFamily::Ipv6, "3fff::/20", "documentation"},
    {TNumberFamily::Ipv6, "fc00::/7", "adresses locales uniques"},
    {TNumberFamily::Ipv6, "fe80::/10", "lien local"},
    {TNumberFamily::Ipv6, "ff00::/8", "multidiffusion"},
    {TNumberFamily::Asn, "0", "r\xC3\xA9serv\xC3\xA9, RFC 7607"},
    {TNumberFamily::Asn, "23456", "AS_TRANS, RFC 6793"},
    {TNumberFamily::Asn, "64496-64511", "documentation, RFC 5398"},
    {TNumberFamily::Asn, "64512-65534", "usage priv\xC3\xA9, RFC 6996"},
    {TNumberFamily::Asn, "65535", "r\xC3\xA9serv\xC3\xA9, RFC 7300"},
    {TNumberFamily::Asn, "65536-65551", "documentation, RFC 5398"},
    {TNumberFamily::Asn, "4200000000-4294967294", "usage priv\xC3\xA9, RFC 6996"},
    {TNumberFamily::Asn, "4294967295", "r\xC3\xA9serv\xC3\xA9, RFC 7300"},
};

const char* SpecialPurpose(const TNumberQuery& query)
{
    for (const TSpecialRange& range : kSpecialRanges) {
        TRdapNumber first = 0, last = 0;
        if (range.Family == query.Family && ParseNumberBlock(range.Family, range.Block, first, last) &&
            query.Number >= first && query.Number <= last)
            return range.What;
    }
    return nullptr;
}

}  // namespace

std::optional<TNumberQuery> ParseAddressQuery(std::string_view text)
{
    text = Trimmed(text);
    TNumberQuery query;
    const bool six = text.find(':') != std::string_view::npos;
    query.Family = six ? TNumberFamily::Ipv6 : TNumberFamily::Ipv4;
    if (!ParseIpAddress(query.Family, text, query.Number)) return std::nullopt;
    unsigned char bytes[16];
    const int size = six ? 16 : 4;
    for (int i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(query.Number >> (8 * (size - 1 - i)));
    char shown[INET6_ADDRSTRLEN] = "";
    if (inet_ntop(six ? AF_INET6 : AF_INET, bytes, shown, sizeof shown) == nullptr) return std::nullopt;
    query.Text = shown;
    return query;
}

std::optional<TNumberQuery> ParseNumberQuery(std::string_view text)
{
    text = Trimmed(text);
    std::string_view number = text;
    if (number.size() > 2 && (number[0] | 0x20) == 'a' && (number[1] | 0x20) == 's') number.remove_prefix(2);
    TRdapNumber first = 0, last = 0;
    if (number.find('-') == std::string_view::npos && ParseNumberBlock(TNumberFamily::Asn, number, first, last))
        return TNumberQuery{TNumberFamily::Asn, first, std::to_string(static_cast<uint64_t>(first))};
    return ParseAddressQuery(text);
}

std::string RdapNumberUrl(const std::string& base, const TNumberQuery& query)
{
    return base + (query.Family == TNumberFamily::Asn ? "autnum/" : "ip/") + query.Text;
}

std::optional<std::string> SpecialPurposeLine(const TNumberQuery& query)
{
    const char* what = SpecialPurpose(query);
    if (what == nullptr) return std::nullopt;
    if (query.Family == TNumberFamily::Asn)
        return "AS" + query.Text + " : num\xC3\xA9ro d'AS \xC3\xA0 usage particulier (" + std::string(what) +
               ") : aucun registre n'est interrog\xC3\xA9.";
    return query.Text + " : adresse \xC3\xA0 usage particulier (" + what +
           ", RFC 6890) : aucun registre n'est interrog\xC3\xA9.";
}
