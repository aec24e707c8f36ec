// The socket stack, its platform stand-in and the small pieces under the TCP connection.
#include "net/socket/id_buffer.h"
#include "net/socket/id_component.h"
#include "net/socket/id_exceptions.h"
#include "net/socket/id_socket_handle.h"
#include "net/socket/id_stack.h"
#include "net/socket/id_stream.h"
#include "platform/winsock.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <random>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

// Keeps the process-wide stack up for the duration of a test.
class StackTest : public ::testing::Test {
protected:
    TIdComponent FKeepStack;
    TIdStack& Stack() { return *GSocketStack; }
};

bool SealedNetwork()
{
    return std::getenv("NORVANE_SEALED_NET") != nullptr;
}

#define REQUIRE_SEALED_NETWORK()                                                                  \
    if (!SealedNetwork())                                                                         \
    GTEST_SKIP() << "needs the sealed test network (scripts/sealed-net.sh): otherwise the name " \
                    "would be sent to the system's DNS server"

TEST_F(StackTest, IsDottedQuadFollowsTheIntegerRules)
{
    const struct {
        const char* text;
        bool expected;
    } cases[] = {
        {"1.2.3.4", true},        {" 1.2.3.4", true},      {"1.2.3.4 ", false},
        {"0x7f.0.0.1", true},     {"$FF.x10.0X1.255", true}, {"01.02.03.04", true},
        {"1.2.3", false},         {"1.2.3.4.5", false},    {"256.1.1.1", false},
        {"1.2.3.-1", false},      {"", false},             {"1..3.4", false},
        {"a.b.c.d", false},       {"+1.2.3.4", true},      {"99999999999.1.1.1", false},
    };
    for (const auto& c : cases) EXPECT_EQ(Stack().IsDottedQuad(c.text), c.expected) << '"' << c.text << '"';
}

TEST_F(StackTest, TextToAddressTakesFourPartsStrictly)
{
    const struct {
        const char* text;
        std::array<uint8_t, 4> expected;
    } good[] = {
        {"0x7f.0.0.1", {127, 0, 0, 1}},
        {"1.2.3.4.5", {1, 2, 3, 4}},     // parts after the fourth are ignored
        {"300.1.1.257", {44, 1, 1, 1}},  // low 8 bits of each part
        {"192.0.2.255", {192, 0, 2, 255}},
    };
    for (const auto& c : good) EXPECT_EQ(Stack().TextToAddress(c.text), c.expected) << c.text;

    const struct {
        const char* text;
        const char* message;
    } bad[] = {
        {"1.2.3", "'' is not a valid integer value"},
        {"a.2.3.4", "'a' is not a valid integer value"},
        {"1.2.3.4 ", "'4 ' is not a valid integer value"},
    };
    for (const auto& c : bad) {
        try {
            Stack().TextToAddress(c.text);
            ADD_FAILURE() << c.text << " was accepted";
        } catch (const EConvertError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
    EXPECT_EQ(Stack().AddressToText({0, 10, 255, 1}), "0.10.255.1");
}

// A stack that records the names it is asked to resolve instead of resolving them.
class RecordingStack : public TIdStackWinsock {
public:
    std::string LookupHostByName(const std::string& name) override
    {
        Lookups.push_back(name);
        return "192.0.2.1";
    }
    std::vector<std::string> LookupHostAddresses(const std::string& name) override { return {LookupHostByName(name)}; }
    std::vector<std::string> Lookups;
};

TEST(HostToAddress, ResolvesOnlyWhatIsNeitherLocalhostNorADottedQuad)
{
    const struct {
        const char* host;
        const char* address;
        bool resolved;
    } cases[] = {
        {"localhost", "127.0.0.1", false}, {"LocalHost", "127.0.0.1", false},
        {"LOCALHOST", "127.0.0.1", false}, {"10.1.2.3", "10.1.2.3", false},
        {"0x7f.0.0.1", "0x7f.0.0.1", false}, {"localhost.", "192.0.2.1", true},
        {"", "192.0.2.1", true},           {"host.invalid", "192.0.2.1", true},
        {"::1", "::1", false},             {"2001:db8::1", "2001:db8::1", false},
    };
    for (const auto& c : cases) {
        RecordingStack stack;
        EXPECT_EQ(stack.HostToAddress(c.host), c.address) << c.host;
        EXPECT_EQ(stack.Lookups.size(), c.resolved ? 1u : 0u) << c.host;
    }
}

TEST_F(StackTest, SocketErrorMessagesAreLetterForLetter)
{
    const struct {
        int32_t code;
        const char* message;
    } cases[] = {
        {10061, "Socket Error # 10061\r\nConnection refused."},
        {10054, "Socket Error # 10054\r\nConnection reset by peer."},
        {10035, "Socket Error # 10035\r\nOperation would block. "},
        {10066, "Socket Error # 10066\r\nDirectory not empty"},
        {10047, "Socket Error # 10047\r\nAddress family not supported by protocol family."},
        {10059, "Socket Error # 10059\r\nToo many references, cannot splice."},
        {10004, "Socket Error # 10004\r\nInterrupted system call."},
        {11001, "Socket Error # 11001\r\n"},
        {10067, "Socket Error # 10067\r\n"},
        {-1, "Socket Error # -1\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(Stack().SocketErrorMessage(c.code), c.message) << c.code;
}

// An errno value either has its Windows counterpart, with that error's text, or shows a
// number of its own outside every Windows error, with no text: never another error's.
TEST_F(StackTest, EveryErrnoShowsItsOwnErrorOrItsOwnNumber)
{
    const struct { int error; int32_t code; } cases[] = {
        {ECONNREFUSED, 10061}, {EPIPE, 10058}, {ENOSYS, 20000 + ENOSYS}, {ENODATA, 20000 + ENODATA}, {EIO, 20000 + EIO},
    };
    for (const auto& c : cases) EXPECT_EQ(winsock::ErrnoToWinsock(c.error), c.code) << c.error;
    EXPECT_EQ(Stack().SocketErrorMessage(winsock::ErrnoToWinsock(ENOSYS)), "Socket Error # 20038\r\n");
    for (int error = 1; error < 200; ++error) {
        const int32_t code = winsock::ErrnoToWinsock(error);
        const std::string bare = "Socket Error # " + std::to_string(code) + "\r\n";
        if (code >= winsock::WS_ERRNO_BASE)
            EXPECT_EQ(code, winsock::WS_ERRNO_BASE + error) << error;
        else
            EXPECT_NE(Stack().SocketErrorMessage(code), bare) << error << " maps to " << code << ", which has no text";
    }
}

TEST_F(StackTest, CheckSocketResultRaisesUnlessToleratedOrSuccessful)
{
    winsock::WSASetLastError(10054);
    EXPECT_FALSE(Stack().CheckSocketResult(0));
    EXPECT_FALSE(Stack().CheckSocketResult(5, {10054}));
    EXPECT_TRUE(Stack().CheckSocketResult(-1, {10058, 10054}));
    try {
        Stack().CheckSocketResult(-1, {10058});
        ADD_FAILURE() << "no exception";
    } catch (const EIdSocketError& e) {
        EXPECT_EQ(e.ErrorCode, 10054);
        EXPECT_STREQ(e.what(), "Socket Error # 10054\r\nConnection reset by peer.");
    }
}

TEST_F(StackTest, SelectSocketsRefusesMoreThan64BeforeAnyPlatformCall)
{
    // Descriptors that do not exist: a platform call would fail and set the last error.
    std::vector<int32_t> tooMany(65, 1 << 20);
    const std::vector<int32_t> original = tooMany;
    winsock::WSASetLastError(4242);
    for (int which = 0; which < 3; ++which) {
        std::vector<int32_t>* lists[3] = {nullptr, nullptr, nullptr};
        lists[which] = &tooMany;
        try {
            Stack().SelectSockets(lists[0], lists[1], lists[2], 0);
            ADD_FAILURE() << "no exception for list " << which;
        } catch (const EIdStackSetSizeExceeded& e) {
            EXPECT_STREQ(e.what(), "Set Size Exceeded.");
        }
        EXPECT_EQ(tooMany, original);
        EXPECT_EQ(winsock::WSAGetLastError(), 4242);
    }
    // 64 pass the check and reach the platform, which refuses these descriptors.
    std::vector<int32_t> full(64, 1 << 20);
    EXPECT_EQ(Stack().SelectSockets(&full, nullptr, nullptr, 0), -1);
    EXPECT_EQ(Stack().LastSocketErrorCode(), 10038);
}

// Two UDP sockets on loopback through the stand-in, the second bound to a system port.
struct UdpPair {
    UdpPair()
    {
        for (int32_t& s : sockets) s = winsock::socket(winsock::WS_AF_INET, winsock::WS_SOCK_DGRAM, 0);
        winsock::sockaddr_in addr{};
        addr.sin_family = winsock::WS_AF_INET;
        addr.sin_addr.s_addr = winsock::inet_addr("127.0.0.1");
        winsock::bind(sockets[1], reinterpret_cast<winsock::sockaddr*>(&addr), sizeof addr);
        int32_t len = sizeof addr;
        winsock::getsockname(sockets[1], reinterpret_cast<winsock::sockaddr*>(&addr), &len);
        target = addr;
    }
    ~UdpPair()
    {
        for (int32_t s : sockets) winsock::closesocket(s);
    }
    int32_t SendToSecond(const std::string& bytes)
    {
        return winsock::sendto(sockets[0], bytes.data(), static_cast<int32_t>(bytes.size()), 0,
                               reinterpret_cast<winsock::sockaddr*>(&target), sizeof target);
    }
    int32_t sockets[2];
    winsock::sockaddr_in target{};
};

TEST_F(StackTest, SelectSocketsKeepsOnlyTheReadyDescriptors)
{
    UdpPair a, b;
    std::vector<int32_t> read{a.sockets[1], b.sockets[1]};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Stack().SelectSockets(&read, nullptr, nullptr, 0), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
    EXPECT_TRUE(read.empty());

    ASSERT_EQ(b.SendToSecond("ping"), 4);
    read = {a.sockets[1], b.sockets[1]};
    EXPECT_EQ(Stack().SelectSockets(&read, nullptr, nullptr, 2000), 1);
    EXPECT_EQ(read, std::vector<int32_t>{b.sockets[1]});
}

TEST(WinsockDatagrams, ATooSmallBufferGivesMessageTooLong)
{
    UdpPair pair;
    const std::string datagram(100, 'x');
    ASSERT_EQ(pair.SendToSecond(datagram), 100);
    char buffer[100];
    winsock::sockaddr_in from{};
    int32_t fromLen = sizeof from;
    EXPECT_EQ(winsock::recvfrom(pair.sockets[1], buffer, 10, 0, reinterpret_cast<winsock::sockaddr*>(&from), &fromLen), -1);
    EXPECT_EQ(winsock::WSAGetLastError(), 10040);
    EXPECT_EQ(std::string(buffer, 10), datagram.substr(0, 10));
    EXPECT_EQ(from.sin_addr.s_addr, winsock::inet_addr("127.0.0.1"));

    ASSERT_EQ(pair.SendToSecond(datagram), 100);
    fromLen = sizeof from;
    EXPECT_EQ(winsock::recvfrom(pair.sockets[1], buffer, 100, 0, reinterpret_cast<winsock::sockaddr*>(&from), &fromLen), 100);
}

TEST_F(StackTest, HandleDatagramsAndOptions)
{
    TIdSocketHandle sender, receiver;
    sender.Allocate(Id_SOCK_DGRAM, 0);
    receiver.Allocate(Id_SOCK_DGRAM, 0);
    receiver.IP = "127.0.0.1";
    receiver.BindLocal();
    ASSERT_GT(receiver.Port, 0);
    EXPECT_EQ(receiver.IP, "127.0.0.1");

    const int32_t allBits = -1;
    sender.SetOption(Id_SOL_SOCKET, Id_SO_BROADCAST, &allBits, 4);
    int value = 0;
    socklen_t len = sizeof value;
    ASSERT_EQ(::getsockopt(sender.SocketId, SOL_SOCKET, SO_BROADCAST, &value, &len), 0);
    EXPECT_EQ(value, 1);
    const int32_t off = 0;
    sender.SetOption(Id_SOL_SOCKET, Id_SO_BROADCAST, &off, 4);
    ASSERT_EQ(::getsockopt(sender.SocketId, SOL_SOCKET, SO_BROADCAST, &value, &len), 0);
    EXPECT_EQ(value, 0);
    try {
        sender.SetOption(Id_SOL_SOCKET, 0x7777, &allBits, 4);
        ADD_FAILURE() << "unknown option accepted";
    } catch (const EIdSocketError& e) {
        EXPECT_EQ(e.ErrorCode, 10042);
    }

    sender.SendDatagram("127.0.0.1", receiver.Port, "hello", 5);
    ASSERT_TRUE(receiver.WaitReadable(2000));
    char buffer[16];
    std::string peerIP;
    int32_t peerPort = 0;
    EXPECT_EQ(receiver.ReceiveDatagram(buffer, sizeof buffer, 0, peerIP, peerPort), 5);
    EXPECT_EQ(std::string(buffer, 5), "hello");
    EXPECT_EQ(peerIP, "127.0.0.1");
    EXPECT_GT(peerPort, 0);

    const std::string tooBig(70000, 'x');
    EXPECT_THROW(sender.SendDatagram("127.0.0.1", receiver.Port, tooBig.data(), static_cast<int32_t>(tooBig.size())),
                 EIdPackageSizeTooBig);
    EXPECT_FALSE(receiver.WaitReadable(0));
}

// Only a local address may be empty; an empty destination must not reach the local
// machine through 0.0.0.0.
TEST_F(StackTest, AnEmptyDestinationDoesNotConvert)
{
    TIdSocketHandle listener, receiver;
    listener.Allocate(Id_SOCK_STREAM, 0);
    listener.IP = "127.0.0.1";
    listener.BindLocal();
    ASSERT_EQ(::listen(listener.SocketId, 4), 0);
    receiver.Allocate(Id_SOCK_DGRAM, 0);
    receiver.IP = "127.0.0.1";
    receiver.BindLocal();

    for (const int32_t timeoutMs : {WaitForever, 2000, WaitForever - 1}) {
        // The last round on an IPv6 socket, whose unspecified address is the local machine too.
        const int32_t family = timeoutMs == WaitForever - 1 ? Id_PF_INET6 : Id_PF_INET;
        TIdSocketHandle client;
        client.Allocate(Id_SOCK_STREAM, 0, family);
        client.SetRemote("", listener.Port);
        try {
            client.ConnectRemote(family, timeoutMs);
            ADD_FAILURE() << "connected to an empty address, time-out " << timeoutMs;
        } catch (const EConvertError& e) {
            EXPECT_STREQ(e.what(), "'' is not a valid integer value");
        }
    }
    TIdSocketHandle sender;
    sender.Allocate(Id_SOCK_DGRAM, 0);
    EXPECT_THROW(sender.SendDatagram("", receiver.Port, "x", 1), EConvertError);
    EXPECT_FALSE(receiver.WaitReadable(50));
}

TEST_F(StackTest, TcpNoDelayReachesTheSocket)
{
    TIdSocketHandle handle;
    handle.Allocate(Id_SOCK_STREAM, 0);
    const int32_t on = 1;
    handle.SetOption(Id_IPPROTO_TCP, Id_TCP_NODELAY, &on, 4);
    int value = 0;
    socklen_t len = sizeof value;
    ASSERT_EQ(::getsockopt(handle.SocketId, IPPROTO_TCP, TCP_NODELAY, &value, &len), 0);
    EXPECT_EQ(value, 1);
}

TEST_F(StackTest, BindingAPortInUseIsReportedAsSuch)
{
    TIdSocketHandle first, second;
    first.Allocate(Id_SOCK_STREAM, 0);
    first.IP = "127.0.0.1";
    first.BindLocal();
    ASSERT_EQ(::listen(first.SocketId, 1), 0);
    second.Allocate(Id_SOCK_STREAM, 0);
    second.IP = "127.0.0.1";
    second.Port = first.Port;
    try {
        second.BindLocal();
        ADD_FAILURE() << "bound twice";
    } catch (const EIdCouldNotBindSocket& e) {
        EXPECT_STREQ(e.what(), "Could not bind socket. Address and port are already in use.");
    }
    EXPECT_TRUE(second.Allocated);  // left open for the caller to close
}

TEST_F(StackTest, WaitReadableOnAClosedHandleRaises)
{
    TIdSocketHandle handle;
    EXPECT_THROW(handle.WaitReadable(0), EIdConnClosedGracefully);
    handle.Allocate(Id_SOCK_DGRAM, 0);
    EXPECT_FALSE(handle.WaitReadable(0));
    handle.Close(true);
    EXPECT_FALSE(handle.Allocated);
    EXPECT_EQ(handle.SocketId, -1);
    try {
        handle.WaitReadable(WaitForever);
        ADD_FAILURE() << "no exception";
    } catch (const EIdConnClosedGracefully& e) {
        EXPECT_STREQ(e.what(), "Connection Closed Gracefully.");
    }
}

TEST_F(StackTest, ResolverFailuresKeepTheirOwnNumbers)
{
    REQUIRE_SEALED_NETWORK();
    EXPECT_EQ(winsock::gethostbyname("no-such-host.invalid"), nullptr);
    EXPECT_EQ(winsock::WSAGetLastError(), 11001);
    try {
        Stack().LookupHostByName("no-such-host.invalid");
        ADD_FAILURE() << "resolved";
    } catch (const EIdSocketError& e) {
        EXPECT_EQ(e.ErrorCode, 11001);
        EXPECT_STREQ(e.what(), "Socket Error # 11001\r\n");
    }
    // A NUL must not cut the name short into one that exists.
    EXPECT_THROW(Stack().LookupHostByName(std::string("localhost\0.invalid", 18)), EIdSocketError);

    EXPECT_EQ(Stack().LookupHostByName("localhost"), "127.0.0.1");
    // An address this machine has no route to is left out, unless it is all there is.
    EXPECT_EQ(Stack().HostToAddresses("no-route.test"), std::vector<std::string>{"127.0.0.1"});
    EXPECT_EQ(Stack().HostToAddresses("only-no-route.test"), std::vector<std::string>{"fd00:ffff::2"});
    const uint32_t loopback = winsock::inet_addr("127.0.0.1");
    const winsock::hostent* entry = winsock::gethostbyaddr(reinterpret_cast<const char*>(&loopback), 4, 2);
    ASSERT_NE(entry, nullptr);
    EXPECT_STREQ(entry->h_name, "localhost");
    EXPECT_EQ(entry->h_addrtype, 2);
    EXPECT_EQ(entry->h_length, 4);
}

TEST(WinsockAddresses, InetAddrAndInetNtoa)
{
    const struct {
        const char* text;
        uint32_t hostOrder;
    } cases[] = {
        {"127.0.0.1", 0x7F000001}, {"192.0.2.10", 0xC000020A}, {"255.255.255.255", 0xFFFFFFFF},
        {"", 0xFFFFFFFF},          {"1.2.3.400", 0xFFFFFFFF},  {"host.invalid", 0xFFFFFFFF},
    };
    for (const auto& c : cases) EXPECT_EQ((winsock::ntohl)(winsock::inet_addr(c.text)), c.hostOrder) << c.text;
    winsock::in_addr in{winsock::inet_addr("10.20.30.40")};
    EXPECT_STREQ(winsock::inet_ntoa(in), "10.20.30.40");
    EXPECT_EQ((winsock::htons)(0x1234), htons(0x1234));
    EXPECT_EQ((winsock::ntohl)(0x01020304), ntohl(0x01020304));
}

TEST(StackLifetime, TheLastComponentTakesTheStackWithIt)
{
    const int32_t before = StackUsers;
    TIdStack* existing = GSocketStack;
    {
        TIdComponent first;
        TIdStack* stack = GSocketStack;
        ASSERT_NE(stack, nullptr);
        {
            TIdComponent second;
            EXPECT_EQ(GSocketStack, stack);
            EXPECT_EQ(StackUsers, before + 2);
        }
        EXPECT_EQ(StackUsers, before + 1);
        EXPECT_EQ(GSocketStack, stack);
        EXPECT_EQ(stack->Version()->Name, "Winsock stack");
    }
    EXPECT_EQ(StackUsers, before);
    EXPECT_EQ(GSocketStack, existing);
    if (before == 0) {
        EXPECT_EQ(GSocketStack, nullptr);
    }
}

TEST(ComponentWork, OnlyTheOutermostBracketFiresBeginAndEnd)
{
    TIdComponent component;
    std::vector<std::string> events;
    component.OnWorkBegin = [&](TIdComponent&, TWorkMode mode, int32_t max) {
        events.push_back("begin " + std::to_string(mode) + " " + std::to_string(max));
    };
    component.OnWork = [&](TIdComponent&, TWorkMode mode, int32_t count) {
        events.push_back("work " + std::to_string(mode) + " " + std::to_string(count));
    };
    component.OnWorkEnd = [&](TIdComponent&, TWorkMode mode) { events.push_back("end " + std::to_string(mode)); };

    component.AdvanceWork(WorkRead, 5);  // outside any bracket: ignored
    component.StartWork(WorkRead, 100);
    component.AdvanceWork(WorkRead, 10);
    component.StartWork(WorkRead, 7);  // nested: no begin, maximum unchanged
    component.StartWork(WorkWrite, 3);
    component.AdvanceWork(WorkRead, 20);
    component.AdvanceWork(WorkWrite, 3);
    component.FinishWork(WorkRead);
    component.FinishWork(WorkWrite);
    component.AdvanceWork(WorkRead, 1);
    component.FinishWork(WorkRead);
    component.AdvanceWork(WorkRead, 1);

    const std::vector<std::string> expected = {"begin 0 100", "work 0 10", "begin 1 3", "work 0 30", "work 1 3",
                                               "end 1",       "work 0 31", "end 0"};
    EXPECT_EQ(events, expected);
    EXPECT_EQ(component.WorkCountMax(WorkRead), 100);
    EXPECT_EQ(component.WorkLevel(WorkRead), 0);
}

TEST(IdBuffer, RemovingFromTheFrontMatchesAPlainString)
{
    // Interleaved appends and removals against a model, across many compactions.
    std::mt19937 random(7);
    TIdBuffer buffer;
    std::string model;
    for (int round = 0; round < 2000; ++round) {
        std::string chunk(random() % 300, '\0');
        for (char& c : chunk) c = static_cast<char>(random());
        buffer.Append(chunk.data(), static_cast<int64_t>(chunk.size()));
        model += chunk;
        const size_t take = random() % (model.size() + 1);
        buffer.Remove(static_cast<int64_t>(take));
        model.erase(0, take);
        ASSERT_EQ(buffer.View(), model) << "round " << round;
    }
    try {
        buffer.Remove(buffer.Size() + 1);
        ADD_FAILURE() << "removed more than held";
    } catch (const EIdNotEnoughDataInBuffer& e) {
        EXPECT_STREQ(e.what(), "Not enough data in buffer.");
    }
    buffer.Remove(buffer.Size());
    EXPECT_EQ(buffer.Size(), 0);
}

TEST(MemoryStream, WritesReadsAndSizes)
{
    TIdMemoryStream stream;
    stream.Write("hello", 5);
    stream.SetSize(8);
    EXPECT_EQ(stream.Position(), 5);
    EXPECT_EQ(stream.Bytes(), std::string("hello\0\0\0", 8));
    stream.SetPosition(3);
    stream.Write("LOWORLD", 7);
    EXPECT_EQ(stream.Bytes(), "helLOWORLD");
    stream.SetPosition(8);
    char out[8] = {};
    EXPECT_EQ(stream.Read(out, 8), 2);
    EXPECT_EQ(std::string(out, 2), "LD");
    stream.SetPosition(12);
    stream.Write("!", 1);
    EXPECT_EQ(stream.Bytes(), std::string("helLOWORLD\0\0!", 13));
}

// Room reserved in place keeps what the receive used, at most the room, and is given back
// whole when the reservation ends without a commit (a receive that raised).
TEST(Reservation, KeepsWhatWasUsedAndGivesTheRestBack)
{
    const struct {
        int64_t used;
        bool commit;
        const char* stream;
        int64_t position;
        const char* buffer;
    } cases[] = {
        {2, true, "helWX", 5, "lloWX"},   {4, true, "helWXYZ", 7, "lloWXYZ"}, {9, true, "helWXYZ", 7, "lloWXYZ"},
        {0, true, "hello", 3, "llo"},     {0, false, "hello", 3, "llo"},
    };
    for (const auto& c : cases) {
        TIdMemoryStream stream(std::string("hello"));
        stream.SetPosition(3);
        TIdBuffer buffer;
        buffer.Append("hello", 5);
        buffer.Remove(2);
        for (TIdReserveTarget* target : {stream.InPlaceTarget(), static_cast<TIdReserveTarget*>(&buffer)}) {
            TIdReservation room(*target, 4);
            ASSERT_EQ(room.Capacity(), 4);
            std::memcpy(room.Memory(), "WXYZ", static_cast<size_t>(std::min<int64_t>(c.used, 4)));
            if (c.commit) room.Commit(c.used);
        }
        EXPECT_EQ(stream.Bytes(), c.stream) << c.used;
        EXPECT_EQ(stream.Position(), c.position) << c.used;
        EXPECT_EQ(buffer.View(), c.buffer) << c.used;
    }
}

}  // namespace
