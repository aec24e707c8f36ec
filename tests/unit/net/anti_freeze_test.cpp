// The idle-time hook: every kind of wait turns it, and a stop ends the wait at once.
#include "dns/host_info.h"
#include "net/socket/id_anti_freeze.h"
#include "net/socket/id_exceptions.h"
#include "net/udp/id_udp_client.h"
#include "net/whois/id_whois.h"
#include "platform/winsock.h"
#include "rdap/rdap_request.h"
#include "tests/fixtures/loopback_server.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <thread>

using fixtures::LoopbackServer;
using fixtures::Script;

namespace {

// Stops the work at its third turn.
class TStoppingHook : public TIdAntiFreezeBase {
public:
    int Turns = 0;

protected:
    void Process() override
    {
        if (++Turns == 3) Stop();
    }
};

// A UDP port on loopback that never answers.
struct TSilentUdp {
    TSilentUdp()
    {
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(Fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        socklen_t len = sizeof addr;
        ::getsockname(Fd, reinterpret_cast<sockaddr*>(&addr), &len);
        Port = ntohs(addr.sin_port);
    }
    ~TSilentUdp() { ::close(Fd); }
    int Fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    int Port = 0;
};

// A blocking call that stays blocked until the test lets it go, like a resolver that
// never answers; it owns what it touches, so it may outlive the wait that started it.
struct TStuckCall {
    std::shared_ptr<std::promise<void>> Release = std::make_shared<std::promise<void>>();
    std::shared_ptr<std::promise<void>> Ended = std::make_shared<std::promise<void>>();
    std::function<void()> Call()
    {
        return [release = Release->get_future().share(), ended = Ended] {
            release.wait();
            ended->set_value();
        };
    }
};

TEST(AntiFreeze, EveryWaitTurnsTheHookAndAStopEndsIt)
{
    LoopbackServer silentWhois(Script().ExpectLine().Stall());
    LoopbackServer silentHttps(Script().Stall());
    TSilentUdp silentUdp;
    TStuckCall resolver;
    const struct {
        const char* name;
        std::function<void()> work;
    } cases[] = {
        {"whois read",
         [&] {
             TIdWhois whois;
             whois.Host = silentWhois.Address();
             whois.Port = silentWhois.Port();
             try {
                 whois.QueryDomain("a.test");
             } catch (const EIdStopped&) {
                 EXPECT_FALSE(whois.SocketHandle.Allocated) << "the stopped wait closes its socket";
                 throw;
             }
         }},
        {"datagram",
         [&] {
             TIdUDPClient udp;
             udp.Host = "127.0.0.1";
             udp.Port = silentUdp.Port;
             udp.SendText("question");
             udp.ReceiveText(30000);
         }},
        {"https transfer",
         [&] { RdapGet("https://127.0.0.1:" + std::to_string(silentHttps.Port()) + "/domain/a.test"); }},
        {"resolver call", [&] { RunBlockingCall(resolver.Call()); }},
        {"pause",
         [] {
             SlicedWait(30000, [](int32_t slice) {
                 std::this_thread::sleep_for(std::chrono::milliseconds(slice));
                 return 0;
             });
         }},
    };
    for (const auto& c : cases) {
        TStoppingHook hook;
        EXPECT_THROW(c.work(), EIdStopped) << c.name;
        EXPECT_EQ(hook.Turns, 3) << c.name;
        // Stopped stays stopped: no later wait of the same work begins.
        EXPECT_THROW(SlicedWait(0, [](int32_t) { return 1; }), EIdStopped) << c.name;
    }
    // The resolver's thread was left blocked; let it go and see it end without the wait
    // that started it.
    resolver.Release->set_value();
    EXPECT_EQ(resolver.Ended->get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
}

TEST(AntiFreeze, ABlockingCallBringsItsResultAndLastErrorBack)
{
    TStoppingHook hook;
    hook.Turns = -1000;  // never stops here
    // A failure on the call's thread is the caller's last error.
    RunBlockingCall([] { winsock::WSASetLastError(winsock::WSAHOST_NOT_FOUND); });
    EXPECT_EQ(winsock::WSAGetLastError(), winsock::WSAHOST_NOT_FOUND);
    // The system resolver's entry outlives the thread whose area held it.
    TSystemHostResolver resolver;
    const winsock::hostent* entry = resolver.GetHostByAddr("\x7F\0\0\x01", 4, winsock::WS_AF_INET);
    ASSERT_NE(entry, nullptr);
    EXPECT_NE(entry->h_name, nullptr);
}

}  // namespace
