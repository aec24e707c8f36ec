// The whois client against loopback servers, and against a real whois client program.
#include "net/socket/id_exceptions.h"
#include "net/whois/id_whois.h"
#include "tests/fixtures/hostile_peer.h"
#include "tests/fixtures/loopback_server.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cstdio>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

using fixtures::LoopbackServer;
using fixtures::Script;

namespace {

void PointAt(TIdWhois& whois, const LoopbackServer& server)
{
    whois.Host = server.Address();
    whois.Port = server.Port();
}

TEST(WhoisQuery, SendsOneLineAndReturnsEverythingUntilTheClose)
{
    const struct {
        const char* name;
        Script script;
        bool filter;
        std::string reply;
    } cases[] = {
        {"segments", Script().ExpectLine().SendSegments({"Domain: a", ".test\r\n", "Status: ok\n"}, 30), false,
         "Domain: a.test\r\nStatus: ok\n"},
        {"closed without an answer", Script().ExpectLine().Close(), false, ""},
        {"high bytes filtered", Script().ExpectLine().SendSegments({"\xE9t\xE9 ", "\xC0\xFF"}, 30), true,
         "iti @\x7F"},
        {"high bytes kept", Script().ExpectLine().Send("Soci\xE9t\xE9"), false, "Soci\xE9t\xE9"},
    };
    for (const auto& c : cases) {
        LoopbackServer server(c.script);
        TIdWhois whois;
        PointAt(whois, server);
        whois.ASCIIFilter = c.filter;
        EXPECT_EQ(whois.QueryDomain("a.test"), c.reply) << c.name;
        EXPECT_FALSE(whois.SocketHandle.Allocated) << c.name;
        ASSERT_TRUE(server.WaitFinished(1)) << c.name;
        EXPECT_EQ(server.Received(0), "a.test\r\n") << c.name;
    }
}

TEST(WhoisQuery, TwoQueriesInARowEachOnItsOwnConnection)
{
    LoopbackServer server([](size_t index) {
        return Script().ExpectLine().Send("answer " + std::to_string(index) + "\r\n");
    });
    TIdWhois whois;
    PointAt(whois, server);
    EXPECT_EQ(whois.QueryDomain("first.test"), "answer 0\r\n");
    EXPECT_EQ(whois.QueryDomain("second.test"), "answer 1\r\n");
    ASSERT_TRUE(server.WaitFinished(2));
    EXPECT_EQ(server.ConnectionCount(), 2u);
    EXPECT_EQ(server.Received(0), "first.test\r\n");
    EXPECT_EQ(server.Received(1), "second.test\r\n");
}

TEST(WhoisQuery, FailuresLeaveTheComponentClosedAndReusable)
{
    TIdWhois whois;
    {
        // A port nobody listens on: a bound socket that never listens.
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        socklen_t len = sizeof addr;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
        whois.Host = "127.0.0.1";
        whois.Port = ntohs(addr.sin_port);
        try {
            whois.QueryDomain("a.test");
            ADD_FAILURE() << "no exception";
        } catch (const EIdSocketError& e) {
            EXPECT_STREQ(e.what(), "Socket Error # 10061\r\nConnection refused.");
        }
        ::close(fd);
    }
    {
        LoopbackServer server(Script().ExpectLine().Send("part of an answer").Pause(50).Reset());
        PointAt(whois, server);
        try {
            whois.QueryDomain("a.test");
            ADD_FAILURE() << "no exception";
        } catch (const EIdSocketError& e) {
            EXPECT_STREQ(e.what(), "Socket Error # 10054\r\nConnection reset by peer.");
        }
        EXPECT_FALSE(whois.SocketHandle.Allocated);
    }
    {
        LoopbackServer server(Script().ExpectLine().Send("slow").Stall());
        PointAt(whois, server);
        whois.Limits.ReadTimeout = 300;
        try {
            whois.QueryDomain("a.test");
            ADD_FAILURE() << "no exception";
        } catch (const EIdReadTimeout& e) {
            EXPECT_STREQ(e.what(), "Read timed out.");
        }
        EXPECT_FALSE(whois.SocketHandle.Allocated);
    }
    LoopbackServer server(Script().ExpectLine().Send("fine"));
    PointAt(whois, server);
    EXPECT_EQ(whois.QueryDomain("a.test"), "fine");
}

TEST(WhoisQuery, AThousandQueriesLeaveNoDescriptorOpen)
{
    LoopbackServer server(Script().ExpectLine().Send("Domain: x.test\r\n").Close());
    // The first query brings up everything that stays (stack, threads of the server).
    TIdWhois whois;
    PointAt(whois, server);
    ASSERT_EQ(whois.QueryDomain("x.test"), "Domain: x.test\r\n");
    ASSERT_TRUE(server.WaitFinished(1));
    const size_t before = fixtures::OpenDescriptorCount();
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(whois.QueryDomain("x.test"), "Domain: x.test\r\n") << i;
    ASSERT_TRUE(server.WaitFinished(1001, 10000));
    EXPECT_EQ(fixtures::OpenDescriptorCount(), before);
}

// Servers that try to make the query hold memory or time without end: each is stopped by
// its bound, with the bound's error, the bytes read freed and nothing left open.
TEST(WhoisQuery, HostileServersAreStoppedByTheBounds)
{
    const std::vector<std::string> trickle(60, "x");  // a byte every 100 ms, for 6 s
    const struct {
        const char* name;
        Script script;
        const char* message;
    } cases[] = {
        {"endless reply", Script().ExpectLine().SendRepeated("Domain: endless.test\r\n", 1ULL << 34), "Reply too large."},
        // Each byte comes within the wait bound; only the bound on the whole query ends it.
        {"a byte every while", Script().ExpectLine().SendSegments(trickle, 100), "Read timed out."},
        // Nothing tells the end of a whois reply but the close: a reset is a failure.
        {"reset after the reply", Script().ExpectLine().Send("Domain: a.test\r\n").Pause(50).Reset(),
         "Socket Error # 10054\r\nConnection reset by peer."},
    };
    for (const auto& c : cases) {
        LoopbackServer server(c.script);
        const fixtures::HostilePeerAftermath after;
        TIdWhois whois;
        PointAt(whois, server);
        whois.Limits.MaxReplySize = 1 << 20;
        whois.Limits.ReadTimeout = 250;
        whois.Limits.RequestTimeout = 1500;
        try {
            whois.QueryDomain("a.test");
            ADD_FAILURE() << c.name << ": no exception";
        } catch (const EIdException& e) {
            EXPECT_STREQ(e.what(), c.message) << c.name;
        }
        after.Check(whois, server, whois.Limits.MaxReplySize + whois.RecvBufferSize(), c.name);
    }
}

// The reply as a real whois client prints it: its standard output for the query.
std::string RunWhoisProgram(const LoopbackServer& server, const std::string& query)
{
    const std::string command =
        "whois -h " + server.Address() + " -p " + std::to_string(server.Port()) + " " + query + " 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return "(popen failed)";
    std::string out;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    ::pclose(pipe);
    return out;
}

TEST(WhoisPeer, SameReplyAsARealWhoisClient)
{
    if (std::system("command -v whois >/dev/null 2>&1") != 0) GTEST_SKIP() << "the whois program is not installed";
    // That client drops CR, ends its output with a line break and recodes bytes above
    // 127, so the reply sticks to ASCII and the comparison ignores CR.
    std::string bulk;
    for (int i = 0; bulk.size() < 200000; ++i) bulk += "nserver:     ns" + std::to_string(i) + ".peer.test\r\n";
    const std::vector<std::string> segments = {"% Test server\r\n\r\ndomain:      peer.test\r\n",
                                               "status:      ACTIVE\nholder:      Someone",
                                               " Somewhere\r\n", bulk, "\r\n% end of reply"};
    LoopbackServer server(Script().ExpectLine().SendSegments(segments, 20).Close());

    TIdWhois whois;
    PointAt(whois, server);
    std::string ours = whois.QueryDomain("peer.test");
    const std::string theirs = RunWhoisProgram(server, "peer.test");
    ASSERT_TRUE(server.WaitFinished(2));
    EXPECT_EQ(server.Received(0), server.Received(1));  // the same query line

    std::erase(ours, '\r');
    if (!ours.empty() && ours.back() != '\n') ours += '\n';
    ASSERT_FALSE(theirs.empty());
    EXPECT_EQ(ours.size(), theirs.size());
    EXPECT_TRUE(ours == theirs) << "first difference at byte "
                                << std::distance(ours.begin(), std::mismatch(ours.begin(), ours.end(), theirs.begin(), theirs.end()).first);
}

}  // namespace
