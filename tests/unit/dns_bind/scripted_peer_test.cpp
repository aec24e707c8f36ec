// The resolver against a scripted server for the shapes a zone server does not send: the
// synthesized answer to ANY, the null and the self-pointing mail exchanger, keys and
// delegation signers in an answer. Compared with dig like the real server's replies.
#include "dig_comparison.h"
#include "tests/fixtures/scripted_dns.h"
#include "tests/unit/net_udp/udp_peer.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// name, question type, record type, TTL, record data
const char* const kScript = R"(
minimal.example.test 255 13 3789 07 52464338343832 00
nullmx.example.test   15 15 3600 0000 00
selfmx.example.test   15 15 3600 000a c00c
# A key, a delegation signer and an IPv6 address before an address.
keys.example.test    255 48 3600 0101 030d 00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff
keys.example.test    255 43 3600 3039 0d02 00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff
keys.example.test    255 28 3600 20010db8000000000000000000000080
keys.example.test    255  1 3600 c0000250
)";

struct Shape {
    const char* label;
    std::string name;
    uint16_t type;
    std::string digQuestion;
};

void PrintTo(const Shape& s, std::ostream* os) { *os << s.label; }

class ScriptedPeer : public ::testing::TestWithParam<Shape> {
protected:
    void SetUp() override
    {
        std::istringstream script(kScript);
        auto answers = fixtures::ReadScriptedAnswers(script);
        Peer.Serve([answers](const std::string& query, std::string& reply) {
            reply = fixtures::ScriptedDnsReply(query, answers);
            return !reply.empty();
        });
    }
    UdpPeer Peer;
    TIdDNSResolver Resolver;
};

TEST_P(ScriptedPeer, ReplyMatchesDig)
{
    const Shape& s = GetParam();
    ASSERT_NO_THROW(Ask(Resolver, Peer.Port(), s.name, s.type));
    EXPECT_EQ(Resolver.Answers.Count(), Resolver.DNSHeader.ANCount);
    ExpectSameAsDig(Resolver, Peer.Port(), std::string("scripted-") + s.label, s.digQuestion);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, ScriptedPeer,
    ::testing::Values(Shape{"synthesized-any", "minimal.example.test", 255, "minimal.example.test ANY"},
                      Shape{"null-mx", "nullmx.example.test", 15, "nullmx.example.test MX"},
                      Shape{"self-mx", "SelfMX.example.test", 15, "SelfMX.example.test MX"},
                      Shape{"keys-any", "keys.example.test", 255, "keys.example.test ANY"}));

}  // namespace
