// The DNS branch over a query double, and the query itself against a loopback peer.
#include "dns/dns_records.h"
#include "net/dns/id_dns_record_types.h"
#include "net/dns/id_dns_resolver.h"
#include "recording_tree.h"
#include "runtime/files.h"
#include "tests/fixtures/dns_wire.h"
#include "tests/unit/net_udp/udp_peer.h"

#include <gtest/gtest.h>

#include <map>
#include <mutex>

namespace {

using Lines = std::vector<std::string>;

// Answers by server; a server without an entry fails.
class FakeRecordQuery : public IRecordQuery {
public:
    std::map<std::string, TIdDNSResourceList> Replies;
    Lines Asked;

    bool QueryAllRecords(const std::string& server, const std::string& name) override
    {
        Asked.push_back(server + " " + name);
        const auto found = Replies.find(server);
        FAnswers = found != Replies.end() ? found->second : TIdDNSResourceList();
        return found != Replies.end();
    }
    const TIdDNSResourceList& Answers() const override { return FAnswers; }

private:
    TIdDNSResourceList FAnswers;
};

TIdDNSResourceItem& Add(TIdDNSResourceList& list, uint16_t type)
{
    TIdDNSResourceItem& item = list.Add();
    item.RecordType = type;
    return item;
}

// A zone's answer: an address, two name servers, a mail exchanger.
TIdDNSResourceList ZoneAnswer()
{
    TIdDNSResourceList list;
    Add(list, TypeA).RData.HostAddress = "192.0.2.10";
    Add(list, TypeNS).RData.DomainName = "ns1.example.org";
    Add(list, TypeNS).RData.DomainName = "ns2.example.org";
    TIdDNSResourceItem& mx = Add(list, TypeMX);
    mx.RData.MX.Exchange = "mail.example.org";
    mx.RData.MX.Preference = 10;
    return list;
}

const std::string Branch = "R\xE9ponse du DNS: ";

TEST(RecordBranch, TwoNameServersAndOneMailExchanger)
{
    FakeRecordQuery query;
    query.Replies["192.0.2.1"] = ZoneAnswer();
    query.Replies["ns1.example.org"] = ZoneAnswer();
    RecordingTree tree;
    tree.AddChild(nullptr, "host branch", 0, 0, 0);

    ShowDnsRecords(query, tree, "192.0.2.1", "example.org", "/nonexistent/");

    EXPECT_EQ(query.Asked, (Lines{"192.0.2.1 example.org", "ns1.example.org example.org"}));
    EXPECT_EQ(tree.Lines(), (Lines{
                                "host branch [0/0 0]",
                                Branch + "ns1.example.org [0/0 0] +",
                                "  Nom de domaine [0/0 0]",
                                "    ns1.example.org [2/2 2]",
                                "    ns2.example.org [2/2 2]",
                                "  CPU [0/0 0]",
                                "  OS [0/0 0]",
                                "  EMailBox [0/0 0]",
                                "  RMailBox [0/0 0]",
                                "  MX Exchange [0/0 0]",
                                "    mail.example.org [2/2 2]",
                                "  SOA RName [0/0 0]",
                                "  SOA MName [0/0 0]",
                            }));
}

TEST(RecordBranch, EveryFieldUnderItsLabelInRecordOrder)
{
    TIdDNSResourceList list;
    TIdDNSResourceItem& soa = Add(list, TypeSOA);
    soa.RData.SOA.MName = "ns.example.org";
    soa.RData.SOA.RName = "hostmaster.example.org";
    TIdDNSResourceItem& hinfo = Add(list, TypeHINFO);
    hinfo.RData.HInfo.CPU = "INTEL";
    hinfo.RData.HInfo.OS = "LINUX";
    TIdDNSResourceItem& minfo = Add(list, TypeMINFO);
    minfo.RData.MInfo.EMailBox = "errors.example.org";
    minfo.RData.MInfo.RMailBox = "admin.example.org";
    Add(list, TypeMX).RData.MX.Exchange = "mx.example.org";
    Add(list, TypeCNAME).RData.DomainName = "alias.example.org";
    Add(list, TypeMX).RData.MX.Exchange = "mx.example.org";  // values repeat
    FakeRecordQuery query;
    query.Replies["192.0.2.1"] = list;
    query.Replies["alias.example.org"] = list;
    RecordingTree tree;

    ShowDnsRecords(query, tree, "192.0.2.1", "example.org", "/nonexistent/");

    EXPECT_EQ(tree.Lines(), (Lines{
                                Branch + "alias.example.org [0/0 0] +",
                                "  Nom de domaine [0/0 0]",
                                "    alias.example.org [2/2 2]",
                                "  CPU [0/0 0]",
                                "    INTEL [2/2 2]",
                                "  OS [0/0 0]",
                                "    LINUX [2/2 2]",
                                "  EMailBox [0/0 0]",
                                "    errors.example.org [2/2 2]",
                                "  RMailBox [0/0 0]",
                                "    admin.example.org [2/2 2]",
                                "  MX Exchange [0/0 0]",
                                "    mx.example.org [2/2 2]",
                                "    mx.example.org [2/2 2]",
                                "  SOA RName [0/0 0]",
                                "    hostmaster.example.org [2/2 2]",
                                "  SOA MName [0/0 0]",
                                "    ns.example.org [2/2 2]",
                            }));
}

TEST(RecordBranch, SecondServerFromDnsDatOrTheDefault)
{
    char name[] = "/tmp/norvane-dnsdat-XXXXXX";
    const std::string dir = std::string(mkdtemp(name)) + "/";
    WriteFileBytes(dir + "dns.dat", "#1\r\n[org]\r\nserver1=192.0.2.53\r\n");
    TIdDNSResourceList mxOnly;
    Add(mxOnly, TypeMX).RData.MX.Exchange = "mail.example.org";
    const struct {
        const char* name;
        Lines asked;
        const char* title;
    } cases[] = {
        {"example.org", {"192.0.2.1 example.org", "192.0.2.53 example.org"}, "192.0.2.53"},
        {"example.net", {"192.0.2.1 example.net", "192.0.2.1 example.net"}, "192.0.2.1"},
    };
    for (const auto& c : cases) {
        FakeRecordQuery query;
        query.Replies["192.0.2.1"] = mxOnly;
        query.Replies["192.0.2.53"] = mxOnly;
        RecordingTree tree;
        ShowDnsRecords(query, tree, "192.0.2.1", c.name, dir);
        EXPECT_EQ(query.Asked, c.asked);
        ASSERT_EQ(tree.Top.size(), 1u);
        EXPECT_EQ(tree.Top[0]->Text, Branch + c.title);
    }
    std::remove((dir + "dns.dat").c_str());
    std::remove(dir.c_str());
}

TEST(RecordBranch, NothingWhenEitherQueryFails)
{
    const struct {
        bool firstAnswers;
        Lines asked;
    } cases[] = {
        {false, {"192.0.2.1 example.org"}},
        {true, {"192.0.2.1 example.org", "ns1.example.org example.org"}},  // ns1 does not answer
    };
    for (const auto& c : cases) {
        FakeRecordQuery query;
        if (c.firstAnswers) query.Replies["192.0.2.1"] = ZoneAnswer();
        RecordingTree tree;
        tree.AddChild(nullptr, "host branch", 0, 0, 0);
        ShowDnsRecords(query, tree, "192.0.2.1", "example.org", "/nonexistent/");
        EXPECT_EQ(query.Asked, c.asked);
        EXPECT_EQ(tree.Lines(), Lines{"host branch [0/0 0]"});
    }
}

TEST(RecordBranch, LinkAddressStaysWithinItsBuffer)
{
    EXPECT_EQ(LinkAddress("192.0.2.10"), "http://192.0.2.10");
    EXPECT_EQ(LinkAddress(std::string(492, 'a')), "http://" + std::string(492, 'a'));  // 499 + terminator
    EXPECT_EQ(LinkAddress(std::string(493, 'a')), "");
    EXPECT_EQ(LinkAddress(std::string(5000, 'a')), "");
}

uint16_t WordAt(const std::string& packet, size_t at)
{
    return static_cast<uint16_t>(static_cast<uint8_t>(packet[at]) << 8 | static_cast<uint8_t>(packet[at + 1]));
}

// The query on the wire, and how each kind of failure ends: all of them silently false.
TEST(QueryAllRecords, AsksForEveryRecordAndIsFalseOnAnyFailure)
{
    enum Reply { Answer, NameError, Damaged, Silence };
    for (const Reply kind : {Answer, NameError, Damaged, Silence}) {
        UdpPeer peer;
        std::mutex seenLock;
        std::string seen;
        peer.Serve([&](const std::string& query, std::string& reply) {
            {
                std::lock_guard<std::mutex> lock(seenLock);
                seen = query;
            }
            const uint16_t id = WordAt(query, 0);
            switch (kind) {
            case Answer:
                reply = Wire().Header(id, 0x8180, 1, 1, 0, 0).Raw(query.substr(12)).Pointer(12)
                            .RecordHead(TypeNS, 3600, static_cast<uint16_t>(Wire().Name("ns1.example.org").Size()))
                            .Name("ns1.example.org");
                return true;
            case NameError: reply = Wire().Header(id, 0x8183, 1, 0, 0, 0).Raw(query.substr(12)); return true;
            case Damaged: reply = Wire().Header(id, 0x8180, 1, 3, 0, 0).Raw(query.substr(12)).U8(0xC0); return true;
            case Silence: return false;
            }
            return false;
        });
        TIdDNSResolver resolver;
        resolver.Port = peer.Port();
        resolver.ReceiveTimeout = 300;
        const bool answered = QueryAllRecords(resolver, "127.0.0.1", "example.org");
        std::lock_guard<std::mutex> lock(seenLock);
        EXPECT_EQ(answered, kind == Answer) << kind;
        ASSERT_GE(seen.size(), 12u) << kind;
        EXPECT_EQ(WordAt(seen, 2), 0x0100) << kind;  // a query, recursion desired
        EXPECT_EQ(WordAt(seen, 4), 1) << kind;
        EXPECT_EQ(seen.substr(12), Wire().Name("example.org").U16(255).U16(1).Str()) << kind;
        EXPECT_EQ(resolver.Host, "127.0.0.1");
        if (kind == Answer) {
            ASSERT_EQ(resolver.Answers.Count(), 1);
            EXPECT_EQ(resolver.Answers[0].RData.DomainName, "ns1.example.org");
        }
    }
}

TEST(QueryAllRecords, AQuestionLeftFromBeforeIsNotAskedAgain)
{
    UdpPeer peer;
    std::mutex seenLock;
    std::string seen;
    peer.Serve([&](const std::string& query, std::string&) {
        std::lock_guard<std::mutex> lock(seenLock);
        seen = query;
        return false;
    });
    TIdDNSResolver resolver;
    resolver.Port = peer.Port();
    resolver.ReceiveTimeout = 100;
    TQuestionItem& stale = resolver.Questions.Add();
    stale.QName = "stale.example";
    stale.QType = 1;
    stale.QClass = 1;
    EXPECT_FALSE(QueryAllRecords(resolver, "127.0.0.1", "example.org"));
    std::lock_guard<std::mutex> lock(seenLock);
    ASSERT_GE(seen.size(), 12u);
    EXPECT_EQ(WordAt(seen, 4), 1);
    EXPECT_EQ(seen.substr(12), Wire().Name("example.org").U16(255).U16(1).Str());
}

}  // namespace
