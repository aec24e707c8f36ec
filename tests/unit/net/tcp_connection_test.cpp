// The TCP connection and client against scripted loopback servers.
#include "net/socket/id_exceptions.h"
#include "net/socket/id_stack.h"
#include "net/socket/id_stream.h"
#include "net/socket/id_tcp_client.h"
#include "tests/fixtures/loopback_server.h"
#include "tests/fixtures/named_addresses.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <cstdlib>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using fixtures::LoopbackServer;
using fixtures::Script;

namespace {

void Connect(TIdTCPClient& client, const LoopbackServer& server)
{
    client.Host = server.Address();
    client.Port = server.Port();
    client.OpenConnection();
}

template <typename Exception, typename Action>
std::string MessageOf(Action action)
{
    try {
        action();
    } catch (const Exception& e) {
        return e.what();
    }
    return "(no exception)";
}

// A loopback port on which nothing listens (a bound socket that never listens keeps it
// from being handed to anyone else while the test runs).
class RefusingPort {
public:
    RefusingPort()
    {
        FFd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(FFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        socklen_t len = sizeof addr;
        ::getsockname(FFd, reinterpret_cast<sockaddr*>(&addr), &len);
        FPort = ntohs(addr.sin_port);
    }
    ~RefusingPort() { ::close(FFd); }
    int32_t Port() const { return FPort; }

private:
    int FFd;
    int32_t FPort;
};

TEST(TcpReadUntilClosed, JoinsEverythingUpToTheClose)
{
    const std::string big = [] {
        std::string s;
        for (int i = 0; s.size() < 1000000; ++i) s += "line " + std::to_string(i) + "\r\n";
        return s;
    }();
    const struct {
        const char* name;
        Script script;
        std::string expected;
    } cases[] = {
        {"segments", Script().SendSegments({"Hello ", "wor", "ld\r\n", "bye"}, 30), "Hello world\r\nbye"},
        {"nothing", Script().Close(), ""},
        {"a byte, a pause, the close", Script().Send("x").Pause(20).Close(), "x"},
        {"a megabyte", Script().Send(big), big},
    };
    for (const auto& c : cases) {
        LoopbackServer server(c.script);
        TIdTCPClient client;
        Connect(client, server);
        EXPECT_EQ(client.ReadUntilClosed(), c.expected) << c.name;
        EXPECT_FALSE(client.IsConnected()) << c.name;
        EXPECT_EQ(client.WorkLevel(WorkRead), 0) << c.name;
    }
}

TEST(TcpAsciiFilter, ClearsBitSevenOfEveryByteOfEveryChunk)
{
    // Each segment starts with a high byte: the first byte of a received chunk must be
    // filtered like the others.
    const std::vector<std::string> segments = {"\xE9t\xE9", "\x80\xFF", "\xC9z"};
    for (bool filter : {true, false}) {
        LoopbackServer server(Script().SendSegments(segments, 40));
        TIdTCPClient client;
        client.ASCIIFilter = filter;
        client.SetRecvBufferSize(2);  // several receives per segment as well
        Connect(client, server);
        const std::string reply = client.ReadUntilClosed();
        EXPECT_EQ(reply, filter ? std::string("iti\x00\x7FIz", 7) : std::string("\xE9t\xE9\x80\xFF\xC9z"));
    }
}

TEST(TcpErrors, ResetRefusedAndUnknownHost)
{
    {
        LoopbackServer server(Script().ExpectLine().Reset());
        TIdTCPClient client;
        Connect(client, server);
        client.SendLine("query");
        try {
            client.ReadUntilClosed();
            ADD_FAILURE() << "no exception after a reset";
        } catch (const EIdSocketError& e) {
            EXPECT_EQ(e.ErrorCode, 10054);
            EXPECT_STREQ(e.what(), "Socket Error # 10054\r\nConnection reset by peer.");
        }
        EXPECT_EQ(client.WorkLevel(WorkRead), 0);
    }
    {
        RefusingPort refusing;
        TIdTCPClient client;
        client.Host = "127.0.0.1";
        client.Port = refusing.Port();
        EXPECT_EQ(MessageOf<EIdSocketError>([&] { client.OpenConnection(); }),
                  "Socket Error # 10061\r\nConnection refused.");
        EXPECT_FALSE(client.SocketHandle.Allocated);
        // The same again with a bounded connect.
        client.Limits.ConnectTimeout = 2000;
        EXPECT_EQ(MessageOf<EIdSocketError>([&] { client.OpenConnection(); }),
                  "Socket Error # 10061\r\nConnection refused.");
    }
    {
        // A wait that fails (here on a descriptor that does not exist) is reported as its
        // socket error, not as a time-out.
        LoopbackServer server(Script().Stall());
        TIdTCPClient client;
        client.Limits.ReadTimeout = 5000;
        Connect(client, server);
        const int32_t real = client.SocketHandle.SocketId;
        client.SocketHandle.SocketId = 1 << 20;
        EXPECT_EQ(MessageOf<EIdSocketError>([&] { client.ReadLine(); }),
                  "Socket Error # 10038\r\nSocket operation on non-socket.");
        client.SocketHandle.SocketId = real;
        client.CloseConnection();
    }
    if (std::getenv("NORVANE_SEALED_NET") != nullptr) {
        TIdTCPClient client;
        std::vector<std::string> statuses;
        client.OnStatus = [&](TIdComponent&, TIdStatus, const std::string& text) { statuses.push_back(text); };
        client.Host = "no-such-host.invalid";
        client.Port = 43;
        EXPECT_EQ(MessageOf<EIdSocketError>([&] { client.OpenConnection(); }), "Socket Error # 11001\r\n");
        EXPECT_FALSE(client.SocketHandle.Allocated);
        ASSERT_FALSE(statuses.empty());
        EXPECT_EQ(statuses.front(), "Resolving hostname no-such-host.invalid.");
    }
}

using fixtures::NamedAddresses;

TEST(TcpConnect, ABoundedConnectGivesUpWithTimedOut)
{
    // A listener with a backlog of 0 that never accepts: once its queue holds one
    // connection, further handshakes go unanswered.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(listener, 0), 0);
    socklen_t len = sizeof addr;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len);

    std::vector<std::unique_ptr<TIdTCPClient>> fillers;
    bool stuck = false;
    for (int i = 0; i < 8 && !stuck; ++i) {
        auto client = std::make_unique<TIdTCPClient>();
        client->Host = "127.0.0.1";
        client->Port = ntohs(addr.sin_port);
        client->Limits.ConnectTimeout = 300;
        const auto start = std::chrono::steady_clock::now();
        try {
            client->OpenConnection();
            fillers.push_back(std::move(client));
        } catch (const EIdSocketError& e) {
            stuck = true;
            EXPECT_EQ(e.ErrorCode, 10060);
            EXPECT_STREQ(e.what(), "Socket Error # 10060\r\nConnection timed out.");
            const auto waited = std::chrono::steady_clock::now() - start;
            EXPECT_GE(waited, std::chrono::milliseconds(250));
            EXPECT_LT(waited, std::chrono::milliseconds(3000));
            EXPECT_FALSE(client->SocketHandle.Allocated);
            const NamedAddresses stack({"127.0.0.1", "::1"});  // silent first: the next gets its share
            LoopbackServer second(Script().Close(), {"::1", ntohs(addr.sin_port)});
            client->Host = "silent-first.example";
            client->OpenConnection();
            EXPECT_LT(std::chrono::steady_clock::now() - start - waited, std::chrono::milliseconds(225));
        }
    }
    ::close(listener);
    if (!stuck) GTEST_SKIP() << "this system completed every connection to a full listener";
}

TEST(TcpReadLine, LineEndsAndTerminators)
{
    const struct {
        const char* name;
        std::vector<std::string> segments;
        std::string terminator;
        std::vector<std::string> lines;
    } cases[] = {
        {"CR LF, LF, inner CR", {"abc\r\ndef\nx\ry\n"}, "", {"abc", "def", "x\ry"}},
        {"line split over segments", {"ab", "c\r", "\nd", "ef\n"}, "", {"abc", "def"}},
        {"empty lines", {"\r\n\n\r\r\n"}, "", {"", "", "\r"}},
        {"own terminator split over segments", {"one\r", "\ntwo\r\n"}, "\r\n", {"one", "two"}},
        {"own terminator keeps a CR", {"a|b\r|"}, "|", {"a", "b\r"}},
        {"long terminator overlapping", {"abcdefgh<<", "<<", "<end>"}, "<<<end>", {"abcdefgh<<"}},
    };
    for (const auto& c : cases) {
        LoopbackServer server(Script().SendSegments(c.segments, 25).ExpectClose());
        TIdTCPClient client;
        Connect(client, server);
        for (const std::string& line : c.lines) {
            EXPECT_EQ(client.ReadLine(c.terminator), line) << c.name;
            EXPECT_FALSE(client.LineTimedOut) << c.name;
        }
        client.CloseConnection();
    }
}

// A line may hold MaxLineLength bytes before its terminator; one more, or a line that
// never ends, raises and frees what was read, however the bytes arrive.
TEST(TcpReadLine, ALineLongerThanTheBoundRaises)
{
    const std::string limit(100, 'a');
    const struct {
        const char* name;
        Script script;
        const char* message;
    } cases[] = {
        {"at the bound", Script().SendSegments({limit.substr(0, 60), limit.substr(60) + "\r\n"}, 20), ""},
        {"one byte over", Script().SendSegments({limit, "a\n"}, 20), "Line too long."},
        {"without end", Script().SendRepeated("a", 1ULL << 34), "Line too long."},
    };
    for (const auto& c : cases) {
        LoopbackServer server(c.script);
        TIdTCPClient client;
        client.Limits.MaxLineLength = 100;
        client.SetRecvBufferSize(16);
        Connect(client, server);
        std::string message;
        try {
            EXPECT_EQ(client.ReadLine(), limit) << c.name;
        } catch (const EIdLineTooLong& e) {
            message = e.what();
            EXPECT_FALSE(client.SocketHandle.Allocated) << c.name;
            EXPECT_LT(client.InBuffer.Capacity(), 64) << c.name;
        }
        EXPECT_EQ(message, c.message) << c.name;
        EXPECT_LE(client.Limits.PeakHeld(), 100 + 16) << c.name;
        client.CloseConnection();
    }
}

TEST(TcpReadLine, APartialLineBeforeTheClose)
{
    LoopbackServer server(Script().Send("whole\npartial").Close());
    TIdTCPClient client;
    Connect(client, server);
    EXPECT_EQ(client.ReadLine(), "whole");
    EXPECT_EQ(client.ReadLine(), "");
    EXPECT_TRUE(client.LineTimedOut);
    EXPECT_EQ(client.InBuffer.View(), "partial");
    EXPECT_FALSE(client.IsConnected());  // closed although bytes are still buffered
    EXPECT_EQ(MessageOf<EIdConnClosedGracefully>([&] { client.ReadLine(); }), "Connection Closed Gracefully.");
    EXPECT_EQ(client.TakeBytes(7), "partial");
}

TEST(TcpReadLine, ATimeOutOfItsOwnIsNotAnError)
{
    LoopbackServer server(Script().Send("no line end").Stall());
    TIdTCPClient client;
    Connect(client, server);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(client.ReadLine("", 100), "");
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(90));
    EXPECT_TRUE(client.LineTimedOut);
    EXPECT_TRUE(client.IsConnected());
}

TEST(TcpReadTimeout, AStallingServerEndsTheReadWithReadTimedOut)
{
    LoopbackServer server(Script().Send("partial answer").Stall());
    TIdTCPClient client;
    client.Limits.ReadTimeout = 300;
    Connect(client, server);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(MessageOf<EIdReadTimeout>([&] { client.ReadUntilClosed(); }), "Read timed out.");
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(250));
    EXPECT_LT(waited, std::chrono::milliseconds(3000));
    EXPECT_EQ(client.WorkLevel(WorkRead), 0);
}

TEST(TcpReadExact, CountsIntegersAndShortReads)
{
    LoopbackServer server(Script().SendSegments({std::string("\x00\x00\x01", 3), std::string("\x02", 1) + "abcd"}, 30)
                              .Send(std::string("\xFF\xFF\xFF\xFE", 4) + "xy")
                              .Close());
    TIdTCPClient client;
    Connect(client, server);
    EXPECT_EQ(client.ReadInt32(), 258);
    char four[4];
    client.ReadExact(four, 4);
    EXPECT_EQ(std::string(four, 4), "abcd");
    EXPECT_EQ(client.ReadInt32(), -2);
    // Two bytes left and the peer gone: the read cannot be completed.
    EXPECT_THROW(client.ReadExact(four, 4), EIdConnClosedGracefully);
    EXPECT_EQ(client.InBuffer.View(), "xy");
    EXPECT_EQ(MessageOf<EIdNotEnoughDataInBuffer>([&] { client.TakeBytes(3); }), "Not enough data in buffer.");
    EXPECT_EQ(client.ReadAvailable(), "xy");
}

TEST(TcpReadToStream, ByCountUntilClosedAndShortByThePeer)
{
    {
        LoopbackServer server(Script().SendSegments({"abc", "def"}, 30).Close());
        TIdTCPClient client;
        Connect(client, server);
        TIdMemoryStream stream;
        EXPECT_THROW(client.ReadToStream(stream, 10, false), EIdConnClosedGracefully);
        EXPECT_EQ(stream.Position(), 6);
        EXPECT_EQ(stream.Bytes().substr(0, 6), "abcdef");
        EXPECT_EQ(stream.Size(), 10);  // not cut back after a failure
        EXPECT_EQ(client.WorkLevel(WorkRead), 0);
    }
    {
        LoopbackServer server(Script().SendSegments({"head\nbo", "dy-rest"}, 30).Close());
        TIdTCPClient client;
        Connect(client, server);
        EXPECT_EQ(client.ReadLine(), "head");
        TIdMemoryStream stream("pre");
        stream.SetPosition(3);
        client.ReadToStream(stream, 4, false);
        EXPECT_EQ(stream.Bytes(), "prebody");
        client.ReadToStream(stream, -1, true);
        EXPECT_EQ(stream.Bytes(), "prebody-rest");
        EXPECT_EQ(stream.Size(), stream.Position());
    }
    {
        // A length prefix in network order, then the bytes.
        LoopbackServer server(Script().Send(std::string("\x00\x00\x00\x05", 4) + "12345tail").Close());
        TIdTCPClient client;
        Connect(client, server);
        TIdMemoryStream stream;
        client.ReadToStream(stream);
        EXPECT_EQ(stream.Bytes(), "12345");
        EXPECT_EQ(client.ReadUntilClosed(), "tail");
    }
}

TEST(TcpSend, BytesOnTheWire)
{
    const struct {
        const char* name;
        std::function<void(TIdTCPClient&)> send;
        std::string expected;
    } cases[] = {
        {"empty line", [](TIdTCPClient& c) { c.SendLine(""); }, "\r\n"},
        {"line", [](TIdTCPClient& c) { c.SendLine("example.test"); }, "example.test\r\n"},
        {"empty text", [](TIdTCPClient& c) { c.SendText(""); }, ""},
        {"lines", [](TIdTCPClient& c) { c.SendLines({"a", "", "b"}); }, "a\r\n\r\nb\r\n"},
        {"integers", [](TIdTCPClient& c) { c.SendInt32(258); c.SendInt32(1, false); },
         std::string("\x00\x00\x01\x02\x01\x00\x00\x00", 8)},
        {"stream with size",
         [](TIdTCPClient& c) {
             TIdMemoryStream s("xyz");
             c.SendBufferSize = 2;
             c.SendStream(s, true, true);
         },
         std::string("\x00\x00\x00\x03xyz", 7)},
        {"stream from its position",
         [](TIdTCPClient& c) {
             TIdMemoryStream s("0123456789");
             s.SetPosition(7);
             c.SendStream(s, false);
         },
         "789"},
        {"every byte value", [](TIdTCPClient& c) {
             std::string all;
             for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
             c.SendText(all);
         },
         [] {
             std::string all;
             for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
             return all;
         }()},
    };
    for (const auto& c : cases) {
        LoopbackServer server(Script().ExpectClose());
        TIdTCPClient client;
        Connect(client, server);
        c.send(client);
        client.CloseConnection();
        ASSERT_TRUE(server.WaitFinished(1)) << c.name;
        EXPECT_EQ(server.Received(0), c.expected) << c.name;
    }
}

TEST(TcpSend, AfterThePeersCloseNothingIsSent)
{
    LoopbackServer server(Script().Close());
    TIdTCPClient client;
    Connect(client, server);
    EXPECT_EQ(client.ReadUntilClosed(), "");
    EXPECT_EQ(MessageOf<EIdConnClosedGracefully>([&] { client.SendLine("late"); }), "Connection Closed Gracefully.");
}

TEST(TcpStatus, EachStepIsReportedOnce)
{
    LoopbackServer server(Script().ExpectLine().SendSegments({"one", "two"}, 20).Close());
    TIdTCPClient client;
    std::vector<std::pair<TIdStatus, std::string>> statuses;
    int disconnected = 0, connected = 0;
    client.OnStatus = [&](TIdComponent& sender, TIdStatus status, const std::string& text) {
        EXPECT_EQ(&sender, &client);
        statuses.emplace_back(status, text);
    };
    client.OnDisconnected = [&](TIdComponent&) { ++disconnected; };
    client.OnConnected = [&](TIdComponent&) { ++connected; };
    Connect(client, server);
    client.SendLine("q");
    EXPECT_EQ(client.ReadUntilClosed(), "onetwo");
    client.CloseConnection();
    client.CloseConnection();

    const std::vector<std::pair<TIdStatus, std::string>> expected = {
        {StatusConnecting, "Connecting to 127.0.0.1."},
        {StatusConnected, "Connected."},
        {StatusDisconnecting, "Disconnecting from 127.0.0.1."},
        {StatusDisconnected, "Not connected."},
    };
    EXPECT_EQ(statuses, expected);
    EXPECT_EQ(disconnected, 1);
    EXPECT_EQ(connected, 1);
}

// The read bracket of ReadUntilClosed: its last report comes from the take that finds
// the peer gone, so even a peer that sends nothing is reported once, with 0.
TEST(TcpWork, ReadUntilClosedReportsItsTotalLast)
{
    const struct {
        std::vector<std::string> segments;
        std::string reply;
    } cases[] = {{{}, ""}, {{"one", "two"}, "onetwo"}};
    for (const auto& c : cases) {
        LoopbackServer server(Script().ExpectLine().SendSegments(c.segments, 20).Close());
        TIdTCPClient client;
        std::vector<std::string> events;
        client.OnWorkBegin = [&](TIdComponent&, TWorkMode mode, int32_t max) {
            events.push_back("begin " + std::to_string(mode) + " " + std::to_string(max));
        };
        client.OnWork = [&](TIdComponent&, TWorkMode mode, int32_t count) {
            events.push_back("work " + std::to_string(mode) + " " + std::to_string(count));
        };
        client.OnWorkEnd = [&](TIdComponent&, TWorkMode mode) { events.push_back("end " + std::to_string(mode)); };
        Connect(client, server);
        client.SendLine("q");
        EXPECT_EQ(client.ReadUntilClosed(), c.reply);
        const std::string total = std::to_string(c.reply.size());
        ASSERT_GE(events.size(), 3u) << c.reply;
        EXPECT_EQ(events.front(), "begin 0 0") << c.reply;
        EXPECT_EQ(events[events.size() - 2], "work 0 " + total) << c.reply;
        EXPECT_EQ(events.back(), "end 0") << c.reply;
    }
}

TEST(TcpState, PollingAlreadyConnectedAndReconnecting)
{
    LoopbackServer server(Script().ExpectLine().Close());
    TIdTCPClient client;
    Connect(client, server);
    const auto start = std::chrono::steady_clock::now();
    client.PollPeerClosed(false);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_TRUE(client.IsConnected());
    EXPECT_EQ(MessageOf<EIdAlreadyConnected>([&] { client.OpenConnection(); }), "Already connected.");
    EXPECT_TRUE(client.IsConnected());

    client.SendLine("bye");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (client.IsConnected() && std::chrono::steady_clock::now() < deadline) client.PollPeerClosed(false);
    EXPECT_FALSE(client.IsConnected());
    EXPECT_TRUE(client.PeerClosed);

    // The same component connects again with a clean state.
    Connect(client, server);
    EXPECT_FALSE(client.PeerClosed);
    EXPECT_TRUE(client.IsConnected());
    client.CloseConnection();
}

}  // namespace

TEST(TcpConnect, EveryAddressOfANameInTurnUntilOneAnswers)
{
    const struct {
        const char* label;
        const char* listening;  // the one address that accepts
        std::vector<std::string> addresses;
        std::string connected;  // "" when none does: the first failure is raised
    } cases[] = {
        {"IPv6 refused, then IPv4", "127.0.0.1", {"::1", "127.0.0.2", "127.0.0.1"}, "127.0.0.1"},
        {"IPv4 refused, then IPv6", "::1", {"127.0.0.1", "::1"}, "::1"},
        {"every one refused", "127.0.0.1", {"127.0.0.2", "::1"}, ""},
        // A link-local address without its zone is refused by the system itself, unsent.
        {"refused, then an address this machine cannot use", "127.0.0.1", {"127.0.0.2", "fe80::1"}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        fixtures::ServerOptions options;
        options.Address = c.listening;
        LoopbackServer server(Script().ExpectLine().Send("hello").Close(), options);
        TIdTCPClient client;
        const NamedAddresses stack(c.addresses);
        std::vector<std::string> connecting;
        client.OnStatus = [&](TIdComponent&, TIdStatus status, const std::string& text) {
            if (status == StatusConnecting) connecting.push_back(text);
        };
        client.Host = "server.example";
        client.Port = server.Port();
        client.Limits.ConnectTimeout = 2000;
        if (c.connected.empty()) {
            EXPECT_EQ(MessageOf<EIdSocketError>([&] { client.OpenConnection(); }),
                      "Socket Error # 10061\r\nConnection refused.");
            EXPECT_FALSE(client.SocketHandle.Allocated);
        } else {
            client.OpenConnection();
            EXPECT_EQ(client.SocketHandle.RemoteIP, c.connected);
            client.SendLine("q");
            EXPECT_EQ(client.ReadUntilClosed(), "hello");
        }
        EXPECT_EQ(connecting.size(), c.addresses.size());  // each address once, in order
    }
}
