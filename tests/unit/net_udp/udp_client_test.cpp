// The UDP client over real loopback sockets: lazy socket, Active and loading, broadcast
// option, sending by name, receiving with time-outs, sizes and empty datagrams.
#include "net/socket/id_exceptions.h"
#include "net/udp/id_udp_client.h"
#include "net/udp/id_udp_exceptions.h"
#include "udp_peer.h"

#include <gtest/gtest.h>

#include <fcntl.h>

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

int BroadcastOption(const TIdUDPBase& client) {
    int value = -1;
    socklen_t length = sizeof value;
    EXPECT_EQ(::getsockopt(client.SocketHandle->SocketId, SOL_SOCKET, SO_BROADCAST, &value, &length), 0);
    return value;
}

long ElapsedMs(Clock::time_point since) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count());
}

TEST(UdpClient, ActiveOpensOneSocketAndFalseReleasesIt) {
    UdpPeer peer;
    TIdUDPClient client;
    EXPECT_FALSE(client.IsActive());
    EXPECT_EQ(client.SocketHandle, nullptr);
    client.SetActive(true);
    ASSERT_NE(client.SocketHandle, nullptr);
    const TIdSocketHandle* first = client.SocketHandle.get();
    const int32_t firstId = first->SocketId;
    client.SetActive(true);
    EXPECT_EQ(client.SocketHandle.get(), first);
    EXPECT_EQ(client.SocketHandle->SocketId, firstId);
    EXPECT_TRUE(client.IsActive());

    client.SetActive(false);
    EXPECT_EQ(client.SocketHandle, nullptr);
    EXPECT_FALSE(client.IsActive());
    EXPECT_EQ(::fcntl(firstId, F_GETFD), -1);  // the descriptor was closed

    client.SendTextTo("127.0.0.1", peer.Port(), "again");
    ASSERT_NE(client.SocketHandle, nullptr);
    EXPECT_TRUE(client.SocketHandle->Allocated);
}

TEST(UdpClient, LoadingDefersActiveUntilLoaded) {
    TIdUDPClient client;
    client.BeginLoading();
    client.SetActive(true);
    EXPECT_EQ(client.SocketHandle, nullptr);
    EXPECT_TRUE(client.ActivePending);
    EXPECT_TRUE(client.IsActive());
    client.Loaded();
    EXPECT_FALSE(client.IsLoading());
    EXPECT_FALSE(client.ActivePending);
    ASSERT_NE(client.SocketHandle, nullptr);
    EXPECT_TRUE(client.SocketHandle->Allocated);

    TIdUDPClient undecided;
    undecided.BeginLoading();
    undecided.SetActive(true);
    undecided.SetActive(false);
    undecided.Loaded();
    EXPECT_EQ(undecided.SocketHandle, nullptr);
    EXPECT_FALSE(undecided.IsActive());
}

TEST(UdpClient, BroadcastOptionFollowsTheProperty) {
    TIdUDPClient client;
    client.SetBroadcastEnabled(true);  // no socket yet: applied when it opens
    EXPECT_EQ(client.SocketHandle, nullptr);
    client.SetActive(true);
    EXPECT_EQ(BroadcastOption(client), 1);
    client.SetBroadcastEnabled(false);
    EXPECT_EQ(BroadcastOption(client), 0);
    client.SetBroadcastEnabled(true);
    EXPECT_EQ(BroadcastOption(client), 1);

    TIdUDPClient loading;
    loading.BeginLoading();
    loading.SetActive(true);
    loading.SetBroadcastEnabled(true);  // active but not open: must not fail
    loading.Loaded();
    EXPECT_EQ(BroadcastOption(loading), 1);
}

TEST(UdpClient, SendsToLocalhostByNameAndToTheDefaultDestination) {
    UdpPeer peer;
    TIdUDPClient client;
    for (const char* host : {"localhost", "LocalHost", "LOCALHOST", "127.0.0.1"}) {
        client.SendTextTo(host, peer.Port(), host);
        std::string data, ip;
        int port = 0;
        ASSERT_TRUE(peer.Receive(data, ip, port)) << host;
        EXPECT_EQ(data, host);
        EXPECT_EQ(ip, "127.0.0.1");
    }
    client.Host = "localhost";
    client.Port = peer.Port();
    client.SendText(std::string("a\0b", 3));
    std::string data, ip;
    int port = 0;
    ASSERT_TRUE(peer.Receive(data, ip, port));
    EXPECT_EQ(data, std::string("a\0b", 3));
}

// A client whose socket has a local port the peer knows, for datagrams sent its way.
struct Exchange {
    UdpPeer peer;
    TIdUDPClient client;
    int clientPort = 0;
    Exchange() {
        client.SendTextTo("127.0.0.1", peer.Port(), "hello");
        std::string data, ip;
        if (!peer.Receive(data, ip, clientPort)) throw std::runtime_error("no hello");
    }
};

TEST(UdpClient, ReceivesDatagramsUpToBufferSize) {
    Exchange x;
    EXPECT_EQ(x.client.BufferSize, 8192);
    const std::string exact(8192, 'q');
    x.peer.SendTo(x.clientPort, exact);
    std::string ip;
    int32_t port = 0;
    EXPECT_EQ(x.client.ReceiveText(ip, port, 2000), exact);
    EXPECT_EQ(ip, "127.0.0.1");
    EXPECT_EQ(port, x.peer.Port());

    x.peer.SendTo(x.clientPort, exact + "!");
    try {
        x.client.ReceiveText(2000);
        ADD_FAILURE() << "a datagram longer than BufferSize was accepted";
    } catch (const EIdSocketError& e) {
        EXPECT_EQ(e.ErrorCode, 10040);
        EXPECT_STREQ(e.what(), "Socket Error # 10040\r\nMessage too long.");
    }

    x.client.BufferSize = 100;
    x.peer.SendTo(x.clientPort, std::string(100, 'r'));
    EXPECT_EQ(x.client.ReceiveText(2000), std::string(100, 'r'));
    x.peer.SendTo(x.clientPort, std::string(101, 'r'));
    EXPECT_THROW(x.client.ReceiveText(2000), EIdSocketError);
}

TEST(UdpClient, EmptyDatagramIsAnError) {
    Exchange x;
    x.peer.SendTo(x.clientPort, "");
    try {
        x.client.ReceiveText(2000);
        ADD_FAILURE() << "an empty datagram was accepted";
    } catch (const EIdUDPReceiveErrorZeroBytes& e) {
        EXPECT_STREQ(e.what(), "UDP Receive Error = 0.");
    }
    // The client stays usable.
    x.peer.SendTo(x.clientPort, "next");
    EXPECT_EQ(x.client.ReceiveText(2000), "next");
}

TEST(UdpClient, TimeOutsGiveNothingAndRaiseNothing) {
    Exchange x;
    char buffer[16];
    std::string ip = "stale";
    int32_t port = 99;
    auto start = Clock::now();
    EXPECT_EQ(x.client.ReceiveBytes(buffer, sizeof buffer, ip, port, 50), 0);
    EXPECT_EQ(ip, "");
    EXPECT_EQ(port, 0);
    EXPECT_GE(ElapsedMs(start), 40);

    // -1 takes ReceiveTimeout; an explicit value ignores it.
    x.client.ReceiveTimeout = 120;
    start = Clock::now();
    EXPECT_EQ(x.client.ReceiveText(), "");
    const long waited = ElapsedMs(start);
    EXPECT_GE(waited, 100);
    EXPECT_LT(waited, 2000);
    x.client.ReceiveTimeout = WaitForever;
    start = Clock::now();
    EXPECT_EQ(x.client.ReceiveText(30), "");
    EXPECT_LT(ElapsedMs(start), 2000);

    // A fresh client waits without limit by default: a datagram sent later still arrives.
    std::thread late([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        x.peer.SendTo(x.clientPort, "late");
    });
    EXPECT_EQ(x.client.ReceiveText(), "late");
    late.join();
}

TEST(UdpClient, DestructionClosesTheSocket) {
    int32_t id = -1;
    {
        TIdUDPClient client;
        client.SetActive(true);
        id = client.SocketHandle->SocketId;
        EXPECT_NE(::fcntl(id, F_GETFD), -1);
    }
    EXPECT_EQ(::fcntl(id, F_GETFD), -1);
}

}  // namespace
