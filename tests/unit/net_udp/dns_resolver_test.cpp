// The resolver against a loopback peer: one datagram out, one in, and how failures of
// the exchange and of the decoding leave Resolve.
#include "net/dns/id_dns_resolver.h"
#include "net/dns/id_dns_resolver_error.h"
#include "net/socket/id_exceptions.h"
#include "tests/fixtures/dns_wire.h"
#include "tests/fixtures/loopback_server.h"
#include "tests/fixtures/named_addresses.h"
#include "udp_peer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

namespace {

uint16_t IdOf(const std::string& packet) {
    return static_cast<uint16_t>(static_cast<uint8_t>(packet[0]) << 8 | static_cast<uint8_t>(packet[1]));
}

// A reply to `query`: its ID and question, then one A record for the question's name.
std::string AnswerTo(const std::string& query, uint16_t flags = 0x8180) {
    return Wire()
        .U16(IdOf(query)).U16(flags).U16(1).U16(1).U16(0).U16(0)
        .Raw(query.substr(12))
        .Pointer(12).RecordHead(1, 3600, 4).Bytes({192, 0, 2, 7});
}

void AskForAll(TIdDNSResolver& resolver, int port, const std::string& name) {
    resolver.ClearResults();
    resolver.Host = "127.0.0.1";
    resolver.Port = port;
    resolver.Questions.Clear();
    resolver.DNSHeader.SetQR(false);
    resolver.DNSHeader.SetOpcode(0);
    resolver.DNSHeader.SetRD(true);
    resolver.DNSHeader.QDCount = 1;
    TQuestionItem& q = resolver.Questions.Add();
    q.QName = name;
    q.QType = 255;
    q.QClass = 1;
}

std::string ResolveError(TIdDNSResolver& resolver) {
    try {
        resolver.Resolve();
        return "";
    } catch (const std::exception& e) {
        return e.what();
    }
}

TEST(DnsResolver, Defaults) {
    TIdDNSResolver resolver;
    EXPECT_EQ(resolver.Port, 53);
    EXPECT_EQ(resolver.ReceiveTimeout, 4000);
    EXPECT_EQ(resolver.BufferSize, 8192);
    EXPECT_EQ(resolver.SocketHandle, nullptr);
}

TEST(DnsResolver, OneExchange) {
    Shared<std::string> seenQuery;  // outlives the peer's thread
    UdpPeer peer;
    peer.Serve([&](const std::string& query, std::string& reply) {
        seenQuery.Set(query);
        reply = AnswerTo(query);
        return true;
    });
    TIdDNSResolver resolver;
    AskForAll(resolver, peer.Port(), "example.org");
    resolver.Resolve();
    EXPECT_EQ(peer.Received(), 1);
    const std::string seen = seenQuery.Get();
    EXPECT_EQ(seen, resolver.QueryPacket);
    EXPECT_EQ(resolver.QueryLength, 29);
    EXPECT_EQ(resolver.ReplyPacket, AnswerTo(seen));
    EXPECT_EQ(resolver.ReplyLength, static_cast<int32_t>(resolver.ReplyPacket.size()));
    ASSERT_EQ(resolver.Questions.Count(), 1);
    EXPECT_EQ(resolver.Questions[0].QName, "example.org");
    ASSERT_EQ(resolver.Answers.Count(), 1);
    EXPECT_EQ(resolver.Answers[0].OwnerName, "example.org");
    EXPECT_EQ(resolver.Answers[0].RData.HostAddress, "192.0.2.7");
    EXPECT_EQ(resolver.DNSHeader.Flags, 0x8180);

    // The window's set-up: opened at the end of loading, before any query.
    TIdDNSResolver loaded;
    loaded.BeginLoading();
    loaded.SetActive(true);
    loaded.Loaded();
    ASSERT_NE(loaded.SocketHandle, nullptr);
    const int32_t id = loaded.SocketHandle->SocketId;
    AskForAll(loaded, peer.Port(), "example.org");
    loaded.Resolve();
    EXPECT_EQ(loaded.SocketHandle->SocketId, id);
    EXPECT_EQ(loaded.Answers.Count(), 1);
}

TEST(DnsResolver, FailingReplies) {
    Shared<std::string> sharedMode;  // outlives the peer's thread
    UdpPeer peer;
    peer.Serve([&](const std::string& query, std::string& reply) {
        const std::string mode = sharedMode.Get();
        if (mode == "other id") {
            reply = AnswerTo(query);
            reply[0] = static_cast<char>(reply[0] ^ 0x01);
        } else if (mode == "name error") {
            reply = AnswerTo(query, 0x8183).substr(0, 6);
        } else if (mode == "cut") {
            reply = AnswerTo(query);
            reply.resize(reply.size() - 3);
        }
        return true;
    });
    TIdDNSResolver resolver;
    for (const std::string mode : {"other id", "name error", "cut"}) {
        sharedMode.Set(mode);
        AskForAll(resolver, peer.Port(), "example.org");
        const std::string error = ResolveError(resolver);
        if (mode == "other id") {
            EXPECT_EQ(error, "Invalid Header Id " + std::to_string(IdOf(resolver.QueryPacket)));
        } else if (mode == "name error") {
            EXPECT_EQ(error, "DNS Server Reports Query Name Error");
        } else {
            EXPECT_EQ(error, "Invalid Packet Size 23");
            EXPECT_EQ(resolver.Answers.Count(), 1);  // the record stays, its head read
        }
    }
}

TEST(DnsResolver, DecodingRunsAfterAFailedExchange) {
    UdpPeer peer;
    peer.Serve([&](const std::string&, std::string& reply) {
        reply.assign(9000, 'x');  // longer than the receive buffer
        return true;
    });
    TIdDNSResolver resolver;
    AskForAll(resolver, peer.Port(), "example.org");
    // The receive fails with 10040; decoding the (empty) reply raises, and wins.
    EXPECT_EQ(ResolveError(resolver), "Received Packet is too small. Less than 4 bytes 28");
    EXPECT_EQ(resolver.ReplyPacket, "");

    // A query without question fails to build; decoding still runs and its failure wins.
    resolver.ClearResults();
    EXPECT_EQ(ResolveError(resolver), "Received Packet is too small. Less than 4 bytes 28");
    AskForAll(resolver, peer.Port(), "x");
    resolver.Questions[0].QType = 3;
    EXPECT_EQ(ResolveError(resolver), "Received Packet is too small. Less than 4 bytes 28");
}

// Fails every send, after planting a reply that matches the query just built.
class ResolverWithBrokenSocket : public TIdDNSResolver {
public:
    TIdSocketHandle& EnsureSocket() override {
        ReplyPacket = Wire().Header(DNSHeader.ID, 0x8180, 0, 0, 0, 0).Fill(QueryLength);
        throw EIdSocketError(10050, "Socket Error # 10050\r\nNetwork is down.");
    }
};

TEST(DnsResolver, ExchangeFailureGoesOnWhenTheReplyDecodes) {
    ResolverWithBrokenSocket resolver;
    AskForAll(resolver, 9, "example.org");
    try {
        resolver.Resolve();
        ADD_FAILURE() << "the send failure was lost";
    } catch (const EIdSocketError& e) {
        EXPECT_EQ(e.ErrorCode, 10050);
    }
    EXPECT_EQ(resolver.ReplyLength, 12 + resolver.QueryLength);
}

TEST(DnsResolver, TimeOutIsATooSmallReply) {
    UdpPeer peer;  // never answers
    TIdDNSResolver resolver;
    AskForAll(resolver, peer.Port(), "example.org");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ResolveError(resolver), "Received Packet is too small. Less than 4 bytes 28");
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(waited, 3900);
    EXPECT_LT(waited, 10000);
    EXPECT_EQ(resolver.ReplyPacket, "");
}

TEST(DnsResolver, ANamedServerIsAskedAtEachAddressWithinTheOneWait) {
    UdpPeer peer;  // on 127.0.0.1; nothing listens on the others
    peer.Serve([&](const std::string& query, std::string& reply) {
        reply = AnswerTo(query);
        return true;
    });
    const struct {
        std::vector<std::string> addresses;
        const char* error;
        int atLeastMs;  // the silent first address's share of the wait
    } cases[] = {
        {{"127.0.0.2", "127.0.0.1"}, "", 290},
        {{"127.0.0.2", "127.0.0.3", "127.0.0.4"}, "Received Packet is too small. Less than 4 bytes 28", 590},
        // An address this machine cannot use (link-local, no zone) does not hide the first one's silence.
        {{"127.0.0.2", "fe80::1"}, "Received Packet is too small. Less than 4 bytes 28", 290},
    };
    for (const auto& c : cases) {
        const fixtures::NamedAddresses stack(c.addresses);
        TIdDNSResolver resolver;
        resolver.ReceiveTimeout = 600;
        AskForAll(resolver, peer.Port(), "example.org");
        resolver.Host = "ns.example.org";
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(ResolveError(resolver), c.error);
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_GE(waited, std::chrono::milliseconds(c.atLeastMs));
        EXPECT_LT(waited, std::chrono::milliseconds(2000));
        EXPECT_EQ(resolver.Answers.Count(), *c.error ? 0 : 1);
    }
}

}  // namespace

namespace {

// A whole reply to `query` over TCP: its two-byte length, then the reply with two records.
std::string WholeReplyTo(const std::string& query, uint16_t id) {
    const std::string reply = Wire()
        .U16(id).U16(0x8180).U16(1).U16(2).U16(0).U16(0)
        .Raw(query.substr(12))
        .Pointer(12).RecordHead(1, 3600, 4).Bytes({192, 0, 2, 7})
        .Pointer(12).RecordHead(1, 3600, 4).Bytes({192, 0, 2, 8});
    return std::string{static_cast<char>(reply.size() >> 8), static_cast<char>(reply.size() & 0xFF)} + reply;
}

}  // namespace

TEST(DnsResolver, CutReplyIsAskedAgainOverTcpAndKeptWhenThatFails) {
    UdpPeer peer;  // every reply cut: TC set, one record
    peer.Serve([&](const std::string& query, std::string& reply) {
        reply = AnswerTo(query, 0x8380);
        return true;
    });
    using fixtures::Script;
    const struct {
        const char* label;
        std::function<Script()> tcp;  // null: nothing listens
        bool overTcp;
    } cases[] = {
        {"whole reply", [] { return Script().ExpectBytes(31).Respond([](const std::string& q) {
             return WholeReplyTo(q.substr(2), IdOf(q.substr(2)));
         }); }, true},
        {"refused", nullptr, false},
        {"other id", [] { return Script().ExpectBytes(31).Respond([](const std::string& q) {
             return WholeReplyTo(q.substr(2), static_cast<uint16_t>(IdOf(q.substr(2)) + 1));
         }); }, false},
        {"closed inside the reply", [] { return Script().ExpectBytes(31).Send(std::string("\x00\x40\x12", 3)).Close(); }, false},
        {"silent past the bound", [] { return Script().ExpectBytes(31).Stall(); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        std::unique_ptr<fixtures::LoopbackServer> server;
        if (c.tcp) {
            fixtures::ServerOptions options;
            options.Port = static_cast<uint16_t>(peer.Port());
            server = std::make_unique<fixtures::LoopbackServer>(c.tcp(), options);
        }
        TIdDNSResolver resolver;
        resolver.ReceiveTimeout = 400;
        AskForAll(resolver, peer.Port(), "example.org");
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(ResolveError(resolver), "");
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
        EXPECT_EQ(resolver.AnsweredOverTcp, c.overTcp);
        EXPECT_EQ(resolver.Answers.Count(), c.overTcp ? 2 : 1);
        EXPECT_EQ(resolver.DNSHeader.Flags, c.overTcp ? 0x8180 : 0x8380);
        if (server) {
            // The same question: the query with its length in front.
            const std::string query = resolver.QueryPacket;
            EXPECT_EQ(server->Received(0).substr(0, 31), std::string("\x00\x1d", 2) + query);
        }
    }
}
