#include "net/http/id_http.h"
#include "net/socket/id_exceptions.h"
#include "runtime/exception.h"
#include "tests/fixtures/hostile_peer.h"
#include "tests/fixtures/loopback_server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

using fixtures::LoopbackServer;
using fixtures::Script;

namespace {

const std::string kHost = "127.0.0.1";

// The exact bytes of a GET with a reset request record.
std::string RequestFor(const std::string& target, const std::string& host = kHost)
{
    return "GET " + target + " HTTP/1.1\r\nHost: " + host +
           "\r\nAccept: text/html, */*\r\nUser-Agent: Mozilla/3.0 (compatible; Norvane Library)\r\n\r\n";
}

// A client pointed at a test server through relative URLs, as the update dialog uses it.
void Aim(TIdHTTP& http, const LoopbackServer& server)
{
    http.Host = kHost;
    http.DefaultPort = server.Port();
    http.Limits.ReadTimeout = 5000;
}

template <typename Fn>
long long MillisecondsOf(Fn&& fn)
{
    const auto start = std::chrono::steady_clock::now();
    fn();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

TEST(HttpClient, UpdateRequestIsWrittenExactlyAndRelativeUrlsUsePort80)
{
    const std::string url = "update-whois.php?date=20261208&name=dns";
    const std::string request = RequestFor("/" + url);
    LoopbackServer server(Script().ExpectBytes(request.size()).Send("HTTP/1.1 201 Created\r\nContent-Length: 0\r\n\r\n"));
    TIdHTTP http;
    EXPECT_EQ(http.Port, 80);
    Aim(http, server);
    EXPECT_EQ(http.GetText(url), "");
    EXPECT_EQ(http.StatusCode, 201);
    EXPECT_EQ(http.ReplyLine, "201 Created");
    EXPECT_EQ(http.RequestHost, kHost);
    EXPECT_EQ(server.Received(0), request);

    TIdHTTP plain;
    plain.Host = "update.norvane.example";
    plain.SelectEndpoint("", "", -1);
    EXPECT_EQ(plain.Port, 80);
    EXPECT_EQ(plain.RequestHost, "update.norvane.example");
    plain.SelectEndpoint("http", "other.example", 8080);
    EXPECT_EQ(plain.Port, 8080);
    EXPECT_EQ(plain.Host, "other.example");
    plain.SelectEndpoint("http", "::1", 8080);
    EXPECT_EQ(plain.RequestHost, "[::1]");
}

TEST(HttpClient, FragmentIsNeverSent)
{
    const std::string request = RequestFor("/a/b.php?x=1");
    LoopbackServer server(Script().ExpectBytes(request.size()).Send("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"));
    TIdHTTP http;
    Aim(http, server);
    EXPECT_EQ(http.GetText("a/b.php?x=1#top"), "ok");
    EXPECT_EQ(server.Received(0), request);
}

// Both replies over one connection: the server sees the two requests on connection 0.
struct KeptCase {
    const char* name;
    std::string firstReply;
    std::string firstBody;
};

TEST(HttpClient, ReplyWithALengthKeepsTheConnectionForTheNextRequest)
{
    const KeptCase cases[] = {
        {"201 with an empty body", "HTTP/1.1 201 Created\r\nContent-Length: 0\r\n\r\n", ""},
        {"202 with 12 bytes", "HTTP/1.1 202 Accepted\r\nContent-Length: 12\r\n\r\n#2026\r\nab=cd", "#2026\r\nab=cd"},
        {"chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n", "hello"},
        {"chunk extension", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5;ext=1\r\nhello\r\n0;x\r\n\r\n", "hello"},
    };
    for (const auto& c : cases) {
        const std::string first = RequestFor("/first"), second = RequestFor("/second");
        LoopbackServer server(Script()
                                  .ExpectBytes(first.size())
                                  .Send(c.firstReply)
                                  .ExpectBytes(second.size())
                                  .Send("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nnext"));
        TIdHTTP http;
        Aim(http, server);
        std::string body;
        // The server keeps the connection open: reading until it closes would wait here.
        EXPECT_LT(MillisecondsOf([&] { body = http.GetText("first"); }), 2000) << c.name;
        EXPECT_EQ(body, c.firstBody) << c.name;
        EXPECT_TRUE(http.IsConnected()) << c.name;
        EXPECT_EQ(http.GetText("second"), "next") << c.name;
        EXPECT_EQ(server.ConnectionCount(), 1u) << c.name;
        EXPECT_EQ(server.Received(0), first + second) << c.name;
    }
}

TEST(HttpClient, ReplyWithoutALengthIsReadUntilTheServerCloses)
{
    LoopbackServer server(
        Script().ExpectLine().SendSegments({"HTTP/1.1 201 Created\r\n\r\n", "part one, ", "part two"}, 30).Close());
    TIdHTTP http;
    Aim(http, server);
    EXPECT_EQ(http.GetText("x"), "part one, part two");
    EXPECT_FALSE(http.IsConnected());
}

TEST(HttpClient, ConnectionIsClosedFor10RepliesAndForConnectionClose)
{
    const struct { const char* name; std::string reply; bool kept; } cases[] = {
        {"1.0 reply", "HTTP/1.0 200 OK\r\nConnection: keep-alive\r\nContent-Length: 2\r\n\r\nok", false},
        {"Connection: Close", "HTTP/1.1 200 OK\r\nConnection:  Close \r\nContent-Length: 2\r\n\r\nok", false},
        {"Connection: keep-alive", "HTTP/1.1 200 OK\r\nConnection: keep-alive\r\nContent-Length: 2\r\n\r\nok", true},
    };
    for (const auto& c : cases) {
        // The server would answer on the same connection; a closed one must lead to a new one.
        LoopbackServer server(Script().ExpectLine().Send(c.reply).ExpectLine().Send(c.reply));
        TIdHTTP http;
        Aim(http, server);
        EXPECT_EQ(http.GetText("a"), "ok") << c.name;
        EXPECT_EQ(http.IsConnected(), c.kept) << c.name;
        EXPECT_EQ(http.GetText("b"), "ok") << c.name;
        EXPECT_EQ(server.ConnectionCount(), c.kept ? 1u : 2u) << c.name;
    }

    LoopbackServer server(Script().ExpectLine().Send("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"));
    TIdHTTP http;
    Aim(http, server);
    http.ProtocolVersion = pv1_0;
    EXPECT_EQ(http.GetText("v"), "ok");
    EXPECT_EQ(server.Received(0).substr(0, 15), "GET /v HTTP/1.0");
    EXPECT_FALSE(http.IsConnected());
}

// A failing reply: the message and code of the error, the connection still usable.
struct RefusedCase {
    const char* name;
    std::string reply;
    const char* message;
    int32_t code;
};

TEST(HttpClient, StatusOutsideSuccessAndUnfollowedRedirectsRaise)
{
    const RefusedCase cases[] = {
        {"404", "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot here!", "404 Not Found", 404},
        {"302 with defaults", "HTTP/1.1 302 Found\r\nLocation: /x\r\nContent-Length: 0\r\n\r\n", "302 Found", 302},
        {"200 with a Location", "HTTP/1.1 200 OK\r\nLocation: /x\r\nContent-Length: 2\r\n\r\nok", "200 OK", 200},
        {"201 with a Location", "HTTP/1.1 201 Created\r\nLocation: /x\r\nContent-Length: 0\r\n\r\n", "201 Created", 201},
        {"interim reply", "HTTP/1.1 100 Continue\r\nContent-Length: 0\r\n\r\n", "100 Continue", 100},
    };
    for (const auto& c : cases) {
        LoopbackServer server(Script()
                                  .ExpectLine()
                                  .Send(c.reply)
                                  .ExpectLine()
                                  .Send("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nafter"));
        TIdHTTP http;
        Aim(http, server);
        try {
            http.GetText("first");
            ADD_FAILURE() << c.name;
        } catch (const EIdProtocolReplyError& e) {
            EXPECT_STREQ(e.what(), c.message) << c.name;
            EXPECT_EQ(e.ReplyCode, c.code) << c.name;
        }
        EXPECT_EQ(http.RedirectDepth, 0) << c.name;
        EXPECT_EQ(http.StatusCode, c.code) << c.name;
        // The body was read: the same connection carries the next request.
        EXPECT_EQ(http.GetText("second"), "after") << c.name;
        EXPECT_EQ(server.ConnectionCount(), 1u) << c.name;
    }
}

TEST(HttpClient, ErrorReplyAnnouncingItsCloseDoesNotLeaveADeadConnection)
{
    LoopbackServer server([](size_t index) {
        return index == 0 ? Script().ExpectLine().Send("HTTP/1.1 404 Not Found\r\nConnection: close\r\nContent-Length: 0\r\n\r\n").Close()
                          : Script().ExpectLine().Send("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
    }, {});
    TIdHTTP http;
    Aim(http, server);
    EXPECT_THROW(http.GetText("first"), EIdProtocolReplyError);
    EXPECT_FALSE(http.IsConnected());
    EXPECT_EQ(http.GetText("second"), "ok");
    EXPECT_EQ(server.ConnectionCount(), 2u);
}

std::string Redirect(int index, const std::string& body)
{
    return "HTTP/1.1 302 Found\r\nLocation: /r" + std::to_string(index + 1) + "\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + body;
}

TEST(HttpClient, RedirectsAreFollowedUpToTheBoundAndTheLastOneReturned)
{
    Script script;
    std::string expected;
    for (int i = 1; i <= 15; ++i) {
        const std::string request = RequestFor(i == 1 ? "/start" : "/r" + std::to_string(i));
        expected += request;
        script.ExpectBytes(request.size()).Send(Redirect(i, i == 15 ? "last" : "body number " + std::to_string(i)));
    }
    LoopbackServer server(script);
    TIdHTTP http;
    Aim(http, server);
    http.HandleRedirects = true;
    EXPECT_EQ(http.GetText("start"), "last");
    EXPECT_EQ(http.StatusCode, 302);
    EXPECT_EQ(http.Reply.Location, "/r16");
    EXPECT_EQ(http.RedirectDepth, 0);
    EXPECT_EQ(server.Received(0), expected);
}

TEST(HttpClient, RedirectHandlerSeesTheDepthAndMayRewriteOrRefuse)
{
    const std::string first = RequestFor("/start"), second = RequestFor("/rewritten");
    LoopbackServer server(Script()
                              .ExpectBytes(first.size())
                              .Send(Redirect(1, "moved"))
                              .ExpectBytes(second.size())
                              .Send("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok")
                              .ExpectBytes(first.size())
                              .Send(Redirect(1, "")));
    TIdHTTP http;
    Aim(http, server);
    http.HandleRedirects = true;
    std::vector<std::pair<std::string, int32_t>> seen;
    http.OnRedirect = [&seen](TIdHTTP&, std::string& dest, int32_t depth, bool& handled) {
        seen.emplace_back(dest, depth);
        dest = "/rewritten";
        handled = seen.size() == 1;
    };
    // A shorter final body must not keep the tail of the longer redirect body.
    EXPECT_EQ(http.GetText("start"), "ok");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], std::make_pair(std::string("/r2"), 1));
    EXPECT_EQ(server.Received(0), first + second);

    // Refused while redirects are followed: the redirect itself is the answer.
    EXPECT_EQ(http.GetText("start"), "");
    EXPECT_EQ(http.StatusCode, 302);
    EXPECT_EQ(http.RedirectDepth, 0);
}

TEST(HttpClient, UnfollowedRedirectAcceptedByTheHandlerKeepsItsRewrittenTarget)
{
    LoopbackServer server(Script().ExpectLine().Send(Redirect(1, "see /r2")));
    TIdHTTP http;
    Aim(http, server);
    http.OnRedirect = [](TIdHTTP&, std::string& dest, int32_t, bool& handled) {
        dest += "?checked";
        handled = true;
    };
    EXPECT_EQ(http.GetText("start"), "see /r2");
    EXPECT_EQ(http.Reply.Location, "/r2?checked");
    EXPECT_EQ(server.ConnectionCount(), 1u);
}

TEST(HttpClient, RedirectToAnotherEndpointOpensANewConnection)
{
    LoopbackServer target(Script().ExpectLine().Send("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nthere"));
    const std::string location = "http://127.0.0.1:" + std::to_string(target.Port()) + "/final#frag";
    LoopbackServer origin(
        Script().ExpectLine().Send("HTTP/1.1 301 Moved\r\nLocation: " + location + "\r\nContent-Length: 0\r\n\r\n"));
    TIdHTTP http;
    Aim(http, origin);
    http.HandleRedirects = true;
    EXPECT_EQ(http.GetText("start"), "there");
    EXPECT_EQ(http.Port, target.Port());
    ASSERT_TRUE(target.WaitFinished(0));
    EXPECT_EQ(target.Received(0), RequestFor("/final"));
}

TEST(HttpClient, FoldedHeadersAreJoinedAndUnknownOnesKept)
{
    LoopbackServer server(Script().ExpectLine().Send(
        "HTTP/1.1 200 OK\r\nContent-Type: text/plain;\r\n charset=windows-1252\r\nX-Custom: 1\r\n"
        "Server: loop\r\nContent-Length: 1\r\n\r\nz"));
    TIdHTTP http;
    Aim(http, server);
    EXPECT_EQ(http.GetText("x"), "z");
    EXPECT_EQ(http.Reply.ContentType, "text/plain; charset=windows-1252");
    EXPECT_EQ(http.Reply.Server, "loop");
    ASSERT_EQ(http.Reply.ExtraHeaders.Count(), 1);
    EXPECT_EQ(http.Reply.ExtraHeaders[0], "X-Custom: 1");
}

TEST(HttpClient, BrokenRepliesRaiseAndDropTheConnection)
{
    const struct { const char* name; Script script; const char* message; } cases[] = {
        {"closed before the status line", Script().ExpectLine().Close(), "Connection Closed Gracefully."},
        {"closed inside the header", Script().ExpectLine().Send("HTTP/1.1 200 OK\r\nContent-").Close(),
         "Connection Closed Gracefully."},
        {"short body", Script().ExpectLine().Send("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc").Close(),
         "Connection Closed Gracefully."},
        {"length not a number", Script().ExpectLine().Send("HTTP/1.1 200 OK\r\nContent-Length: twelve\r\n\r\nab").Close(),
         "'twelve' is not a valid integer value"},
        {"status without a code", Script().ExpectLine().Send("HTTP/1.1 OK\r\n\r\n"), "'OK' is not a valid integer value"},
        {"stalled header", Script().ExpectLine().Send("HTTP/1.1 200 OK\r\n").Stall(), "Read timed out."},
        {"stalled body", Script().ExpectLine().Send("HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nab").Stall(),
         "Read timed out."},
        {"stalled close", Script().ExpectLine().Send("HTTP/1.1 200 OK\r\n\r\nab").Stall(), "Read timed out."},
    };
    for (const auto& c : cases) {
        LoopbackServer server(c.script);
        TIdHTTP http;
        Aim(http, server);
        http.Limits.ReadTimeout = 300;
        try {
            http.GetText("x");
            ADD_FAILURE() << c.name;
        } catch (const Exception& e) {
            EXPECT_STREQ(e.what(), c.message) << c.name;
        }
        EXPECT_EQ(http.RedirectDepth, 0) << c.name;
        // Half a reply may still be on its way: that connection is not reused.
        EXPECT_FALSE(http.IsConnected()) << c.name;
    }
}

// The most a stream held at once: what the client made it keep of a body.
class PeakStream : public TIdMemoryStream {
public:
    void SetSize(int64_t size) override
    {
        TIdMemoryStream::SetSize(size);
        Peak = std::max(Peak, Size());
    }
    int64_t Write(const void* buffer, int64_t count) override
    {
        const int64_t n = TIdMemoryStream::Write(buffer, count);
        Peak = std::max(Peak, Size());
        return n;
    }
    int64_t Peak = 0;
};

// Servers that try to make the request hold memory or time without end: each is stopped
// by its bound, with the bound's error, what was read freed and nothing left open. A
// reset right after a whole reply does not cost the reply.
TEST(HttpClient, HostileServersAreStoppedByTheBounds)
{
    const std::string ok = "HTTP/1.1 200 OK\r\n";
    std::vector<std::string> trickle;
    for (char c : ok + "Content-Length: 2\r\n\r\nok") trickle.emplace_back(1, c);  // a byte every 100 ms
    const struct {
        const char* name;
        Script script;
        const char* message;  // empty: the body comes back
    } cases[] = {
        {"endless header line", Script().ExpectLine().Send(ok + "X-Long: ").SendRepeated("a", 1ULL << 34), "Line too long."},
        {"endless header list", Script().ExpectLine().Send(ok).SendRepeated("X-More: yes\r\n", 1ULL << 34),
         "Too many header lines."},
        {"endless chunked body",
         Script().ExpectLine().Send(ok + "Transfer-Encoding: chunked\r\n\r\n").SendRepeated("4\r\nabcd\r\n", 1ULL << 34),
         "Reply too large."},
        {"endless body up to the close", Script().ExpectLine().Send(ok + "\r\n").SendRepeated("abcd", 1ULL << 34),
         "Reply too large."},
        {"header bytes", Script().ExpectLine().Send(ok).SendRepeated("X-Long: " + std::string(60000, 'a') + "\r\n", 1ULL << 34),
         "Reply too large."},
        {"length past 32 bits", Script().ExpectLine().Send(ok + "Content-Length: 99999999999\r\n\r\nabcd"), "Reply too large."},
        {"chunk past 31 bits", Script().ExpectLine().Send(ok + "Transfer-Encoding: chunked\r\n\r\n80000000\r\nabcd"),
         "Reply too large."},
        {"announced body too large", Script().ExpectLine().Send(ok + "Content-Length: 2000000000\r\n\r\nabcd"),
         "Reply too large."},
        // Each byte comes within the wait bound; only the bound on the whole request ends it.
        {"a byte every while", Script().ExpectLine().SendSegments(trickle, 100), "Read timed out."},
        {"reset after the reply", Script().ExpectLine().Send(ok + "Content-Length: 2\r\n\r\nok").Reset(), ""},
    };
    for (const auto& c : cases) {
        LoopbackServer server(c.script);
        const fixtures::HostilePeerAftermath after;
        TIdHTTP http;
        Aim(http, server);
        http.Limits.MaxReplySize = 1 << 20;
        http.Limits.ReadTimeout = 250;
        http.Limits.RequestTimeout = 1500;
        if (!*c.message) {
            // Time for the reset to arrive before the client's short look past the reply,
            // however busy the machine is.
            http.OnWorkEnd = [](TIdComponent&, TWorkMode mode) {
                if (mode == WorkRead) std::this_thread::sleep_for(std::chrono::milliseconds(200));
            };
        }
        PeakStream body;
        try {
            http.GetStream("x", body);
            EXPECT_EQ(body.Bytes(), "ok") << c.name;
            EXPECT_STREQ("", c.message) << c.name;
        } catch (const EIdException& e) {
            EXPECT_STREQ(e.what(), c.message) << c.name;
            EXPECT_EQ(body.Size(), 0) << c.name;
        }
        EXPECT_LE(body.Peak, http.Limits.MaxReplySize) << c.name;
        EXPECT_LE(http.HeaderLines.Count(), http.MaxHeaderLines) << c.name;
        after.Check(http, server, http.Limits.MaxLineLength + 2 * http.RecvBufferSize(), c.name);
    }
}

TEST(HttpClient, ReplyLineIsThisReplysAlsoWhenItsCodeDoesNotConvert)
{
    LoopbackServer server(Script()
                              .ExpectLine()
                              .Send("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n")
                              .ExpectLine()
                              .Send("HTTP/1.1 OK\r\n\r\n"));
    TIdHTTP http;
    Aim(http, server);
    EXPECT_THROW(http.GetText("a"), EIdProtocolReplyError);
    EXPECT_EQ(http.ReplyLine, "404 Not Found");
    EXPECT_THROW(http.GetText("b"), EConvertError);
    EXPECT_EQ(http.ReplyLine, "OK");
}

TEST(HttpClient, RefusedConnectionPassesTheSocketError)
{
    int32_t port = 0;
    {
        LoopbackServer gone(Script().Close());
        port = gone.Port();
    }
    TIdHTTP http;
    http.Host = kHost;
    http.DefaultPort = port;
    try {
        http.GetText("x");
        ADD_FAILURE();
    } catch (const EIdSocketError& e) {
        EXPECT_EQ(e.ErrorCode, 10061);
    }
    EXPECT_EQ(http.RedirectDepth, 0);
}

}  // namespace
