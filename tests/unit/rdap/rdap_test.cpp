#include "rdap/bootstrap.h"
#include "rdap/rdap_error.h"
#include "rdap/rdap_lookup.h"
#include "rdap/rdap_render.h"
#include "runtime/files.h"
#include "runtime/text.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

TEST(RdapBootstrap, HttpsBaseByExtensionOrARefusal)
{
    const struct {
        const char* json;
        const char* extension;
        const char* base;  // nullptr: the file is refused
    } cases[] = {
        {R"({"publication": "p", "services": [[["Gone", "fr"], ["http://a.example/", "https://a.example/x"]]]})", "GONE", "https://a.example/x/"},
        {R"({"services": [[["fr"], ["http://a.example/"]], [["de"], ["https://d.example/"]]]})", "fr", ""},
        {R"({"services": [[["fr"], ["https://a.example/"]], [["fr"], ["https://b.example/"]]]})", "fr", "https://a.example/"},
        {R"({"services": []})", "fr", ""},
        {R"({"services": [[["fr"], ["https://a.example/"]])", "fr", nullptr},
        {R"([1])", "fr", nullptr},
        {R"({"services": {}})", "fr", nullptr},
        {R"({"services": [[["fr"]]]})", "fr", nullptr},
        {R"({"services": [[[1], ["https://a.example/"]]]})", "fr", nullptr},
    };
    for (const auto& c : cases) {
        TRdapBootstrap bootstrap;
        bootstrap.Load(R"({"publication": "old", "services": [[["fr"], ["https://old.example/"]]]})");
        if (c.base == nullptr) {
            EXPECT_THROW(bootstrap.Load(c.json), ERdapBootstrapError) << c.json;
            EXPECT_TRUE(bootstrap.Empty() && bootstrap.Publication().empty()) << c.json;
            continue;
        }
        bootstrap.Load(c.json);
        EXPECT_EQ(bootstrap.BaseUrlFor(c.extension), c.base) << c.json;
    }
}

TEST(RdapRender, WhoisLayoutOfWhatTheObjectHolds)
{
    const std::string head = "R\xC3\xA9ponse RDAP de u\r\n\r\n";
    const struct {
        const char* json;
        std::string text;
        const char* referral;
    } cases[] = {
        {R"({"ldhName": "A.FR", "handle": 7, "status": ["active", 3], "nameservers": [{"ldhName": "ns.a.fr"}, 1]})",
         "Domain Name: A.FR\r\nDomain Status: active\r\nName Server: ns.a.fr\r\n", ""},
        // Control characters of every kind are written out, never obeyed.
        {R"({"ldhName": "a\r\nb\u001b\u0085\u2028.fr", "secureDNS": {"delegationSigned": false}})",
         "Domain Name: a\\u000D\\u000Ab\\u001B\\u0085\\u2028.fr\r\nDNSSEC: unsigned\r\n", ""},
        // Redacted and empty contact fields are left out; the roles' order is the layout's.
        {R"({"entities": [{"roles": ["technical"], "vcardArray": ["vcard", [["fn", {}, "text", "T"]]]},
                          {"roles": ["registrant"], "vcardArray": ["vcard", [["fn", {}, "text", "REDACTED FOR PRIVACY"],
                           ["org", {}, "text", "\u00c9cole"], ["email", {}, "text", ""], ["adr", {"cc": "FR"}, "text", "x"]]]}]})",
         "Registrant Organization: \xC3\x89" "cole\r\nRegistrant Country: FR\r\nTech Name: T\r\n", ""},
        {R"({"links": [{"rel": "related", "type": "text/html", "href": "h"}, {"rel": "related", "type": "application/rdap+json", "href": "r"}]})",
         "", "r"},
        {R"({"notices": [{"title": "T", "description": ["d1", 2], "links": [{"href": "l"}]}],
             "events": [{"eventAction": "last update of RDAP database", "eventDate": "D"}]})",
         "\r\nT\r\nd1\r\nl\r\n\r\n>>> Last update of RDAP database: D <<<\r\n", ""},
    };
    for (const auto& c : cases) {
        const TRdapRendering rendering = RenderRdapDomain("u", c.json);
        EXPECT_EQ(rendering.Text, head + c.text) << c.json;
        EXPECT_EQ(rendering.Referral, c.referral) << c.json;
    }
    // Values nested past the stack's depth are read in place, never copied.
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    EXPECT_EQ(RenderRdapDomain("u", R"({"ldhName": "d", "entities": [{"roles": ["registrar"], "publicIds": [{"type": "IANA Registrar ID", "identifier": )" +
                                         deep + R"(}]}], "secureDNS": {"dsData": [{"keyTag": )" + deep + R"(, "algorithm": 8, "digestType": 2, "digest": "AB"}]}})").Text,
              head + "Domain Name: d\r\nDNSSEC DS Data:  8 2 AB\r\n");
    for (const char* refused : {"", "[]", "\"x\"", "{\"a\": 1"})
        EXPECT_THROW(RenderRdapDomain("u", refused), ERdapError) << refused;
}

// Responses shaped as registries write them, each beside the page it gives (kept with LF
// line ends in the files).
TEST(RdapRender, RegistryResponsesGiveTheirPages)
{
    const std::string folder = std::string(NORVANE_SOURCE_DIR) + "/tests/unit/rdap/pages/";
    for (const char* name : {"handle-only", "paragraphs", "redactions", "cz-registry", "gtld-redacted"}) {
        const std::string page = RenderRdapDomain("https://rdap.example/domain/x", ReadFileBytes(folder + name + ".json")).Text;
        EXPECT_EQ(page, ReplaceAll(ReadFileBytes(folder + name + ".txt"), "\n", "\r\n")) << name;
    }
}

TEST(RdapLookup, StatusesAndTheRegistrarsPart)
{
    const std::string registry = "https://r.example/domain/a.fr", registrar = "https://rr.example/domain/a.fr";
    const std::string thin = R"({"links": [{"rel": "related", "type": "application/rdap+json", "href": ")" + registrar + "\"}]}";
    const struct {
        std::map<std::string, TRdapReply> replies;
        std::string text;  // "!" then the message when the lookup raises
    } cases[] = {
        {{{registry, {404, "", ""}}}, "R\xC3\xA9ponse RDAP de " + registry + "\r\n\r\nNom introuvable aupr\xC3\xA8s de ce registre (404).\r\n"},
        {{{registry, {429, "", "120"}}}, "!RDAP server " + registry + " answered 429 Too Many Requests, asking to wait 120 s."},
        {{{registry, {429, "", "Wed, 09 Dec 2026 \x1B"}}}, "!RDAP server " + registry + " answered 429 Too Many Requests, asking to wait until Wed, 09 Dec 2026 ?."},
        {{{registry, {429, "", ""}}}, "!RDAP server " + registry + " answered 429 Too Many Requests, without saying how long to wait."},
        {{{registry, {500, "{}", ""}}}, "!RDAP server " + registry + " answered HTTP 500."},
        {{{registry, {200, thin, ""}}, {registrar, {200, "{\"ldhName\": \"b\"}", ""}}},
         "R\xC3\xA9ponse RDAP de " + registry + "\r\n\r\n\r\n" + std::string(72, '-') + "\r\n\r\nR\xC3\xA9ponse RDAP de " + registrar +
             "\r\n\r\nDomain Name: b\r\n"},
        // A link in plain http is not asked, and the line says why.
        {{{registry, {200, ReplaceAll(thin, "https:", "http:"), ""}}},
         "R\xC3\xA9ponse RDAP de " + registry + "\r\n\r\n\r\n" + std::string(72, '-') + "\r\n\r\n" +
             "Le serveur RDAP du bureau d'enregistrement n'a pas \xC3\xA9t\xC3\xA9 interrog\xC3\xA9 : son lien n'est pas en https (http://rr.example/domain/a.fr).\r\n"},
        {{{registry, {200, thin, ""}}, {registrar, {503, "", ""}}},
         "R\xC3\xA9ponse RDAP de " + registry + "\r\n\r\n\r\n" + std::string(72, '-') + "\r\n\r\n" +
             "Le serveur RDAP du bureau d'enregistrement n'a pas r\xC3\xA9pondu : RDAP server " + registrar + " answered HTTP 503.\r\n"},
    };
    for (const auto& c : cases) {
        const TRdapGet get = [&c](const std::string& url) {
            const auto found = c.replies.find(url);
            if (found == c.replies.end()) throw ERdapError("unexpected " + url);
            return found->second;
        };
        try {
            EXPECT_EQ(RdapDomainText("https://r.example/", "a.fr", get), c.text);
        } catch (const ERdapError& failure) {
            EXPECT_EQ("!" + failure.Message(), c.text);
        }
    }
    EXPECT_EQ(RdapDomainUrl("https://r.example/", "a b/c.fr"), "https://r.example/domain/a%20b%2Fc.fr");
}

}  // namespace
