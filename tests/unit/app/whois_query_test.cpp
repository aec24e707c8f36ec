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

TEST(DecodeWhoisReply, Utf8WhenWellFormedElseWindows1252)
{
    const struct {
        std::string reply, page;
    } cases[] = {
        {"", ""},
        {"SociC)tC) GC)nC)rale\r\n", "SociC)tC) GC)nC)rale\r\n"},  // cleared to ASCII: unchanged
        {"Soci\xC3\xA9t\xC3\xA9 \xC3\x89lys\xC3\xA9" "e Z\xC3\xBCrich",
         "Soci\u00E9t\u00E9 \u00C9lys\u00E9" "e Z\u00FCrich"},
        {"\xE2\x82\xAC \xF0\x9F\x8C\x8D \xF4\x8F\xBF\xBF", "\u20AC \U0001F30D \U0010FFFF"},
        {"Soci\xE9t\xE9 \xC9lys\xE9" "e Z\xFCrich \x80", "Soci\u00E9t\u00E9 \u00C9lys\u00E9" "e Z\u00FCrich \u20AC"},
        // Not UTF-8: overlong, surrogate, past U+10FFFF, cut short, stray continuation.
        {"\xC0\xAF", "\u00C0\u00AF"},
        {"\xE0\x80\xAF", "\u00E0\u20AC\u00AF"},
        {"\xED\xA0\x80", "\u00ED\u00A0\u20AC"},
        {"\xF4\x90\x80\x80", "\u00F4\u0090\u20AC\u20AC"},
        {"caf\xC3", "caf\u00C3"},
        {"\xA9t\xE9", "\u00A9t\u00E9"},
        {std::string("nul\0\xC3\xA9", 6), std::string("nul\0\u00E9", 6)},
    };
    for (const auto& c : cases) EXPECT_EQ(DecodeWhoisReply(c.reply), c.page) << c.reply;
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
