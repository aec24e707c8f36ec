#include "rdap/rdap_lookup.h"

#include "net/socket/id_exceptions.h"
#include "rdap/json_access.h"
#include "rdap/rdap_error.h"
#include "rdap/rdap_render.h"
#include "runtime/text.h"

namespace {

const char* const kSeparator = "------------------------------------------------------------------------\r\n";

// A header value as it may be shown: printable ASCII only.
std::string Printable(const std::string& text)
{
    std::string out;
    for (const char c : text) out += c >= ' ' && c <= '~' ? c : '?';
    return out;
}

std::string WaitText(const std::string& retryAfter)
{
    if (retryAfter.empty()) return "without saying how long to wait";
    const bool seconds = retryAfter.find_first_not_of("0123456789") == std::string::npos;
    return "asking to wait " + (seconds ? retryAfter + " s" : "until " + Printable(retryAfter));
}

}  // namespace

void RdapRefused(const std::string& url, const TRdapReply& reply)
{
    if (reply.Status == 429)
        throw ERdapError("RDAP server " + url + " answered 429 Too Many Requests, " + WaitText(reply.RetryAfter) + ".");
    throw ERdapError("RDAP server " + url + " answered HTTP " + std::to_string(reply.Status) + ".");
}

namespace {

std::string NotFound(const std::string& url)
{
    return "R\xC3\xA9ponse RDAP de " + rdap_json::Clean(url) + "\r\n\r\nNom introuvable aupr\xC3\xA8s de ce registre (404).\r\n";
}

bool IsHttps(const std::string& url) { return url.size() > 8 && SameText(std::string_view(url).substr(0, 8), "https://"); }

// The registrar's part of a thin registry's answer; never raises.
std::string ReferralText(const std::string& url, const TRdapGet& get)
{
    // Requests go over https alone; a link in anything else is not asked at all.
    if (!IsHttps(url))
        return rdap_json::Clean("Le serveur RDAP du bureau d'enregistrement n'a pas \xC3\xA9t\xC3\xA9 interrog\xC3\xA9 : son lien n'est pas en https (" +
                                url + ").") + "\r\n";
    std::string why;
    try {
        const TRdapReply reply = get(url);
        if (reply.Status == 200) return RenderRdapDomain(url, reply.Body).Text;
        if (reply.Status == 404) return NotFound(url);
        RdapRefused(url, reply);
    } catch (const EIdStopped&) {
        throw;  // the user's stop is no answer of the registrar's
    } catch (const std::exception& failure) {
        why = failure.what();
    }
    // The address came from the registry's answer: it is shown cleaned like the rest.
    return rdap_json::Clean("Le serveur RDAP du bureau d'enregistrement n'a pas r\xC3\xA9pondu : " + why) + "\r\n";
}

}  // namespace

std::string RdapDomainUrl(const std::string& base, const std::string& asciiName)
{
    return base + "domain/" + PercentEncoded(asciiName, "-.");
}

std::string RdapDomainText(const std::string& base, const std::string& asciiName, const TRdapGet& get)
{
    const std::string url = RdapDomainUrl(base, asciiName);
    const TRdapReply reply = get(url);
    if (reply.Status == 404) return NotFound(url);
    if (reply.Status != 200) RdapRefused(url, reply);
    const TRdapRendering registry = RenderRdapDomain(url, reply.Body);
    if (registry.Referral.empty() || registry.Referral == url) return registry.Text;
    return registry.Text + "\r\n" + kSeparator + "\r\n" + ReferralText(registry.Referral, get);
}

std::string RdapDomainText(const std::string& base, const std::string& asciiName)
{
    return RdapDomainText(base, asciiName, [](const std::string& url) { return RdapGet(url); });
}
