#include "app/whois_catalogue.h"
#include "runtime/exception.h"
#include "runtime/files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// A catalogue with the traps the rules care about: a stamp line, blank lines, keys in
// capitals, blanks inside keys and values, repeated keys, templates and ports.
const char* const Catalogue =
    "#20240101\r\n"
    "\r\n"
    "fr=whois.fr.example\r\n"
    "org=whois.org.example\r\n"
    "com=whois.first.example\r\n"
    "com=whois.second.example\r\n"
    "DE=whois.de.example\r\n"
    " it=whois.it.example\r\n"
    "nl= whois.nl.example\r\n"
    "tpl=whois.tpl.example\r\n"
    "@WHOIS.TPL.EXAMPLE=-T dn $T$\r\n"
    "@whois.tpl.example=second template is never used\r\n"
    "p1=whois.p1.example\r\n"
    "p@whois.p1.example=4343\r\n"
    "p2=whois.p2.example\r\n"
    "p@whois.p2.example=port\r\n"
    "p3=whois.p3.example\r\n"
    "p@whois.p3.example=\r\n"
    "p4=whois.p4.example\r\n"
    "p@whois.p4.example=$10\r\n"
    "p5=whois.p5.example\r\n"
    "p@whois.p5.example=99999\r\n"
    "eq=whois.eq.example=x\r\n"
    "empty=\r\n"
    "\xE9t=whois.accent.example\r\n";

struct Lookup {
    std::string Host;
    std::string Template;
    int Port = -1;
    std::vector<std::string> Messages;
};

Lookup Find(const TWhoisServers& servers, const std::string& text)
{
    Lookup result;
    result.Host = FindWhoisServer(servers, text, result.Template, result.Port,
                                  [&](const std::string& message) { result.Messages.push_back(message); });
    return result;
}

TWhoisServers Loaded(const std::string& text)
{
    TWhoisServers servers;
    servers.SetText(text);
    return servers;
}

TEST(WhoisCatalogue, FindsServerTemplateAndPortByTheRules)
{
    const TWhoisServers servers = Loaded(Catalogue);
    const struct {
        const char* name;
        const char* host;
        const char* queryTemplate;
        int port;
    } cases[] = {
        {"example.fr", "whois.fr.example", "", 43},
        {"EXAMPLE.FR", "whois.fr.example", "", 43},           // capitals typed, key in lower case
        {" \t example.fr \r\n", "whois.fr.example", "", 43},  // codes 0-32 trimmed around the name
        {"a.b.c.example.org", "whois.org.example", "", 43},   // only the last label counts
        {"example.com", "whois.first.example", "", 43},       // repeated key: first line wins
        {"example.de", "whois.de.example", "", 43},           // key "DE" matches "de"
        {"example.nl", " whois.nl.example", "", 43},          // blanks of a value are kept
        {"example.tpl", "whois.tpl.example", "-T dn $T$", 43},  // "@" key: server case aside, first line
        {"example.p1", "whois.p1.example", "", 4343},
        {"example.p2", "whois.p2.example", "", 43},          // letters
        {"example.p3", "whois.p3.example", "", 43},          // empty value
        {"example.p4", "whois.p4.example", "", 16},          // the runtime's integer rules
        {"example.p5", "whois.p5.example", "", 99999},       // not range-checked here
        {"example.eq", "whois.eq.example=x", "", 43},        // split at the first "="
        {"example.\xC9T", "whois.accent.example", "", 43},   // code-page letters compare case aside
    };
    for (const auto& c : cases) {
        const Lookup found = Find(servers, c.name);
        EXPECT_EQ(found.Host, c.host) << c.name;
        EXPECT_EQ(found.Template, c.queryTemplate) << c.name;
        EXPECT_EQ(found.Port, c.port) << c.name;
        EXPECT_TRUE(found.Messages.empty()) << c.name;
    }
}

TEST(WhoisCatalogue, RefusesNamesWithTheirMessage)
{
    const TWhoisServers servers = Loaded(Catalogue);
    const struct {
        const char* name;
        const char* message;
    } cases[] = {
        {"", "Adresse invalide!"},
        {"   ", "Adresse invalide!"},
        {"localhost", "Adresse invalide!"},
        {"EXAMPLE.XYZ", "L'extention .xyz n'est pas support\xE9" "e!"},
        {"example.", "L'extention . n'est pas support\xE9" "e!"},
        {"example.it", "L'extention .it n'est pas support\xE9" "e!"},     // the line is keyed " it"
        {"example.empty", "L'extention .empty n'est pas support\xE9" "e!"},  // server value empty
        {"example.20240101", "L'extention .20240101 n'est pas support\xE9" "e!"},  // stamp line has no "="
        {"example.\xC9X", "L'extention .\xC9x n'est pas support\xE9" "e!"},  // only A-Z are lowered
    };
    for (const auto& c : cases) {
        const Lookup found = Find(servers, c.name);
        EXPECT_EQ(found.Host, "") << c.name;
        EXPECT_EQ(found.Messages, std::vector<std::string>{c.message}) << c.name;
    }
}

TEST(WhoisCatalogue, EmptyExtensionFindsALineWithAnEmptyKey)
{
    const TWhoisServers servers = Loaded("#1\r\n=whois.root.example\r\n");
    const Lookup found = Find(servers, "example.");
    EXPECT_EQ(found.Host, "whois.root.example");
    EXPECT_TRUE(found.Messages.empty());
}

TEST(WhoisCatalogue, KeepsEveryLineInOrderWhateverTheLineBreaks)
{
    static const char text[] = "#s\r\na=1\n\rb=2\r\rc=3\r\n\0d=4\r\n";
    const TWhoisServers servers = Loaded(std::string(text, sizeof text - 1));
    const std::vector<std::string> expected = {"#s", "a=1", "", "b=2", "", "c=3"};
    ASSERT_EQ(servers.Count(), static_cast<int>(expected.size()));
    for (int i = 0; i < servers.Count(); ++i) EXPECT_EQ(servers[i], expected[static_cast<size_t>(i)]) << i;
    EXPECT_EQ(servers.Values("d"), "");  // after the NUL
}

class CatalogueFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/norvane-catalogue-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        FDir = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + FDir + "'").c_str()); }
    std::string FDir;
};

TEST_F(CatalogueFile, ReloadEmptiesFirstAndAMissingFileLeavesItEmpty)
{
    const std::string path = FDir + "/whois.dat";
    WriteFileBytes(path, "#1\r\nfr=whois.one.example\r\nde=whois.de.example\r\n");
    TWhoisServers servers;
    servers.LoadFromFile(path);
    ASSERT_EQ(servers.Count(), 3);

    WriteFileBytes(path, "#2\r\nfr=whois.two.example\r\n");
    servers.LoadFromFile(path);
    EXPECT_EQ(servers.Count(), 2);
    EXPECT_EQ(servers.Values("fr"), "whois.two.example");
    EXPECT_EQ(servers.Values("de"), "");

    const std::string missing = FDir + "/gone/whois.dat";
    try {
        servers.LoadFromFile(missing);
        FAIL() << "no exception";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + missing);
    }
    EXPECT_EQ(servers.Count(), 0);
    EXPECT_EQ(Find(servers, "example.fr").Messages,
              std::vector<std::string>{"L'extention .fr n'est pas support\xE9" "e!"});
}

TEST(WhoisCatalogue, ShippedCatalogueAnswersCommonExtensions)
{
    TWhoisServers servers;
    servers.LoadFromFile(std::string(NORVANE_SOURCE_DIR) + "/data/whois.dat");
    ASSERT_GT(servers.Count(), 100);
    EXPECT_EQ(servers[0].substr(0, 1), "#");
    for (const char* name : {"example.fr", "example.com", "example.org", "EXAMPLE.DE"}) {
        const Lookup found = Find(servers, name);
        EXPECT_FALSE(found.Host.empty()) << name;
        EXPECT_TRUE(found.Messages.empty()) << name;
    }
    EXPECT_EQ(Find(servers, "example.com").Template, "domain $T$");
}

}  // namespace
