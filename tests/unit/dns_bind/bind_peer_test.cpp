// The resolver against a real DNS server: for the same questions, every record it decodes
// (owner, TTL, class, type and data), the truncation bit and the record branch built from
// the answers must be what the system's dig shows.
#include "dig_comparison.h"
#include "named_peer.h"

#include <gtest/gtest.h>

#include <set>

namespace {

const char* const kZone = "example.test";

std::string BigRRset()
{
    // Forty addresses on one name: more than 512 bytes without EDNS.
    std::string lines;
    for (int i = 1; i <= 40; ++i) lines += "big      IN A     192.0.2." + std::to_string(100 + i) + "\n";
    return lines;
}

const std::string kPrimary = R"($TTL 3600
@        IN SOA   ns1 hostmaster 2024010101 7200 900 1209600 300
@        IN NS    ns1
@        IN NS    ns2.example.test.
@   7200 IN MX    10 mail
@   7200 IN MX    20 backup.mail
@        IN A     192.0.2.1
@    600 IN TXT   "v=spf1 mx -all"
@        IN TXT   "first part" "second part" "third"
www      IN CNAME @
host     IN HINFO "INTEL" "LINUX"
host     IN MINFO admin errors
host     IN A     192.0.2.80
host     IN AAAA  2001:db8::80
ns1      IN A     192.0.2.53
ns2      IN A     192.0.2.54
mail     IN A     192.0.2.25
backup.mail IN A  192.0.2.26
Mixed.Case IN MX    5 Mail.Example.TEST.
Mixed.Case IN TXT "Mixed" "Case"
)" + BigRRset();

// Signed while the test runs; its apex answer to ANY does not fit in 512 bytes.
const char* const kSigned = R"($TTL 3600
@        IN SOA   ns1 hostmaster 2024010101 7200 900 1209600 300
@        IN NS    ns1
@   7200 IN MX    10 mail
host     IN HINFO "INTEL" "LINUX"
host     IN MINFO admin errors
ns1      IN A     192.0.2.53
mail     IN A     192.0.2.25
www      IN CNAME host
)";

const char* const kReverse = R"($TTL 86400
@        IN SOA   ns1.example.test. hostmaster.example.test. 7 3600 600 86400 60
@        IN NS    ns1.example.test.
1        IN PTR   example.test.
25       IN PTR   mail.example.test.
25       IN PTR   smtp.example.test.
)";

std::vector<PeerZone> Zones()
{
    return {{kZone, kPrimary}, {"signed.test", kSigned, true}, {"2.0.192.in-addr.arpa", kReverse}};
}

struct Shape {
    const char* label;
    std::string name;
    uint16_t type;
    std::string digQuestion;
    bool truncated = false;  // cut over UDP, whole over TCP
    std::set<uint16_t> passedOver = {};  // types the decoder keeps undecoded
};

void PrintTo(const Shape& s, std::ostream* os) { *os << s.label; }

// Types of the records the decoder keeps undecoded.
std::set<uint16_t> UndecodedTypes(const TIdDNSResourceList& list)
{
    std::set<uint16_t> types;
    for (int32_t i = 0; i < list.Count(); ++i)
        if (list[i].RecordType > 16) types.insert(list[i].RecordType);
    return types;
}

class BindPeer : public ::testing::TestWithParam<Shape> {
protected:
    static void SetUpTestSuite()
    {
        Peer = new NamedPeer(Zones());
        if (!Peer->Start(Reason)) {
            delete Peer;
            Peer = nullptr;
        }
    }
    static void TearDownTestSuite()
    {
        delete Peer;
        Peer = nullptr;
    }
    void SetUp() override
    {
        if (Peer == nullptr) GTEST_SKIP() << "no DNS server to compare with: " << Reason;
    }

    static NamedPeer* Peer;
    static std::string Reason;
    TIdDNSResolver Resolver;
};
NamedPeer* BindPeer::Peer = nullptr;
std::string BindPeer::Reason;

TEST_P(BindPeer, ReplyMatchesDig)
{
    const Shape& s = GetParam();
    Ask(Resolver, Peer->Port(), s.name, s.type);
    EXPECT_EQ(Resolver.AnsweredOverTcp, s.truncated);
    EXPECT_EQ(UndecodedTypes(Resolver.Answers), s.passedOver);
    ExpectSameAsDig(Resolver, Peer->Port(), s.label, s.digQuestion);
    if (s.truncated) {
        // What was shown before the retry over TCP: the cut reply, short of the whole one.
        const DigReply udpOnly = Dig(Peer->Port(), s.digQuestion);
        EXPECT_TRUE(udpOnly.Truncated);
        EXPECT_NE(udpOnly.Answer, RecordLines(Resolver.Answers));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, BindPeer,
    ::testing::Values(
        Shape{"any-apex", kZone, 255, "example.test ANY"},
        Shape{"any-www", "www.example.test", 255, "www.example.test ANY"},
        // HINFO and MINFO with an address on a name of their own, and an AAAA after them.
        Shape{"any-host", "host.example.test", 255, "host.example.test ANY", false, {28}},
        Shape{"mx", kZone, 15, "example.test MX"},
        Shape{"any-mixed-case", "mIXED.cASE.Example.Test", 255, "mIXED.cASE.Example.Test ANY"},
        Shape{"any-big-truncated", "big.example.test", 255, "big.example.test ANY", true},
        // Signatures and proofs of non-existence; the keys do not fit in 512 bytes and come
        // with the reply over TCP.
        Shape{"any-signed-apex-truncated", "signed.test", 255, "signed.test ANY", true, {46, 47, 48}},
        Shape{"any-signed-host", "host.signed.test", 255, "host.signed.test ANY", false, {46, 47}},
        Shape{"any-signed-www", "www.signed.test", 255, "www.signed.test ANY", false, {46, 47}},
        Shape{"ptr-1", "192.0.2.1", 12, "-x 192.0.2.1"},
        Shape{"ptr-25", "192.0.2.25", 12, "-x 192.0.2.25"}),
    [](const auto& info) {
        std::string name = info.param.label;
        for (char& c : name)
            if (c == '-') c = '_';
        return name;
    });

TEST_F(BindPeer, UnknownNameIsANameError)
{
    try {
        Ask(Resolver, Peer->Port(), "missing.example.test", 255);
        ADD_FAILURE() << "an unknown name resolved";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "DNS Server Reports Query Name Error");
    }
}

// The same server told to answer ANY with one record set only.
class MinimalAnyPeer : public ::testing::TestWithParam<Shape> {
protected:
    void SetUp() override
    {
        std::string reason;
        if (!Peer.Start(reason)) GTEST_SKIP() << "no DNS server to compare with: " << reason;
    }
    NamedPeer Peer{Zones(), "minimal-any yes;"};
    TIdDNSResolver Resolver;
};

TEST_P(MinimalAnyPeer, ReplyMatchesDig)
{
    const Shape& s = GetParam();
    Ask(Resolver, Peer.Port(), s.name, s.type);
    std::set<uint16_t> types;
    for (int32_t i = 0; i < Resolver.Answers.Count(); ++i) types.insert(Resolver.Answers[i].RecordType);
    EXPECT_EQ(types.size(), 1u);
    ExpectSameAsDig(Resolver, Peer.Port(), std::string("minimal-") + s.label, s.digQuestion);
}

INSTANTIATE_TEST_SUITE_P(Shapes, MinimalAnyPeer,
                         ::testing::Values(Shape{"any-apex", kZone, 255, "example.test ANY"},
                                           Shape{"any-host", "host.example.test", 255, "host.example.test ANY"},
                                           Shape{"any-signed-host", "host.signed.test", 255,
                                                 "host.signed.test ANY"}));

}  // namespace
