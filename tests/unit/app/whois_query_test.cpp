// The whois query of a lookup and the one typed by hand, with their text rules.
#include "app/whois_query.h"
#include "net/whois/id_whois.h"
#include "tests/fixtures/loopback_server.h"

#include <gtest/gtest.h>

using fixtures::LoopbackServer;
using fixtures::Script;

namespace {

TEST(NormalizeLineBreaks, EveryBreakBecomesCrLf)
{
    const struct {
        std::string in, out;
    } cases[] = {
        {"", ""},
        {"a\nb\n", "a\r\nb\r\n"},
        {"a\r\nb\r\n", "a\r\nb\r\n"},
        {"a\rb", "a\rb"},                      // a lone CR stays
        {"a\r\r\nb", "a\r\r\nb"},
        {"\n\n", "\r\n\r\n"},
        {"mixed\r\nand\nlone\r", "mixed\r\nand\r\nlone\r"},
        {"\r\n\n\r", "\r\n\r\n\r"},
        {std::string("nul\0\n", 5), std::string("nul\0\r\n", 6)},
    };
    for (const auto& c : cases) EXPECT_EQ(NormalizeLineBreaks(c.in), c.out) << c.in;
}

TEST(ApplyQueryTemplate, MarkersAreReplacedOnce)
{
    const struct {
        const char* templ;
        const char* name;
        const char* query;
    } cases[] = {
        {"", "a.test", "a.test"},
        {"$T$", "a.test", "a.test"},
        {"domain $T$", "a.test", "domain a.test"},
        {"$T$ $T$", "a.test", "a.test a.test"},
        {"=$T$/e", "a.test", "=a.test/e"},
        {"$t$ $T", "a.test", "$t$ $T"},          // case-sensitive, whole marker only
        {"[$T$]", "$T$", "[$T$]"},               // the replacement is not searched again
        {"$$T$T$", "x", "$xT$"},
    };
    for (const auto& c : cases) EXPECT_EQ(ApplyQueryTemplate(c.templ, c.name), c.query) << c.templ;
}

TEST(WhoisQueryPaths, CatalogueThenByHandOnTheSamePort)
{
    LoopbackServer server([](size_t index) {
        return index == 0 ? Script().ExpectLine().Send("first\nreply\n") : Script().ExpectLine().Send("second\r\n");
    });
    TIdWhois client;
    client.ASCIIFilter = true;
    EXPECT_EQ(RunCatalogueQuery(client, "127.0.0.1", "domain $T$", server.Port(), "a.test"), "first\r\nreply\r\n");
    EXPECT_EQ(client.Host, "127.0.0.1");
    EXPECT_EQ(client.Port, server.Port());

    // By hand: the server field trimmed, the port of the last query, no template.
    EXPECT_EQ(RunManualQuery(client, " \t127.0.0.1 ", "  b.test\t"), "second\r\n");
    EXPECT_EQ(client.Port, server.Port());
    ASSERT_TRUE(server.WaitFinished(2));
    EXPECT_EQ(server.Received(0), "domain a.test\r\n");
    EXPECT_EQ(server.Received(1), "b.test\r\n");
}

TEST(WhoisQueryPaths, AnEmptyNameSendsAnEmptyLine)
{
    LoopbackServer server(Script().ExpectLine().Send("nothing"));
    TIdWhois client;
    client.Port = server.Port();
    EXPECT_EQ(RunManualQuery(client, "127.0.0.1", "   "), "nothing");
    ASSERT_TRUE(server.WaitFinished(1));
    EXPECT_EQ(server.Received(0), "\r\n");
}

}  // namespace
