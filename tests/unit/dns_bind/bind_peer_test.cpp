// The resolver against a real DNS server: for the same questions, every record it decodes
// (owner, TTL, class, type and data) must be what the system's dig prints.
#include "named_peer.h"
#include "net/dns/id_dns_resolver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

const char* const kZone = "example.test";

const char* const kPrimary = R"($TTL 3600
@        IN SOA   ns1 hostmaster 2024010101 7200 900 1209600 300
@        IN NS    ns1
@        IN NS    ns2.example.test.
@   7200 IN MX    10 mail
@   7200 IN MX    20 backup.mail
@        IN A     192.0.2.1
@    600 IN TXT   "v=spf1 mx -all"
@        IN TXT   "first part" "second part"
www      IN CNAME @
host     IN HINFO "INTEL" "LINUX"
host     IN MINFO admin errors
host     IN A     192.0.2.80
ns1      IN A     192.0.2.53
ns2      IN A     192.0.2.54
mail     IN A     192.0.2.25
backup.mail IN A  192.0.2.26
)";

const char* const kReverse = R"($TTL 86400
@        IN SOA   ns1.example.test. hostmaster.example.test. 7 3600 600 86400 60
@        IN NS    ns1.example.test.
1        IN PTR   example.test.
25       IN PTR   mail.example.test.
25       IN PTR   smtp.example.test.
)";

std::string Absolute(const std::string& name) { return name + "."; }

std::string TypeName(uint16_t type) {
    switch (type) {
    case 1: return "A";
    case 2: return "NS";
    case 5: return "CNAME";
    case 6: return "SOA";
    case 12: return "PTR";
    case 13: return "HINFO";
    case 14: return "MINFO";
    case 15: return "MX";
    case 16: return "TXT";
    default: return "TYPE" + std::to_string(type);
    }
}

// TXT data as dig shows it: each counted text quoted.
std::string QuotedTexts(const std::string& raw) {
    std::string out;
    for (size_t at = 0; at < raw.size();) {
        const size_t count = static_cast<uint8_t>(raw[at]);
        out += (out.empty() ? "\"" : " \"") + raw.substr(at + 1, count) + "\"";
        at += 1 + count;
    }
    return out;
}

std::string DataText(const TIdDNSResourceItem& r) {
    const TRdata& d = r.RData;
    switch (r.RecordType) {
    case 1: return d.HostAddress;
    case 2: case 5: case 12: return Absolute(d.DomainName);
    case 6:
        return Absolute(d.SOA.MName) + " " + Absolute(d.SOA.RName) + " " +
               std::to_string(d.SOA.Serial) + " " + std::to_string(d.SOA.Refresh) + " " +
               std::to_string(d.SOA.Retry) + " " + std::to_string(d.SOA.Expire) + " " +
               std::to_string(d.SOA.Minimum);
    case 13: return "\"" + d.HInfo.CPU + "\" \"" + d.HInfo.OS + "\"";
    case 14: return Absolute(d.MInfo.RMailBox) + " " + Absolute(d.MInfo.EMailBox);
    case 15: return std::to_string(d.MX.Preference) + " " + Absolute(d.MX.Exchange);
    case 16: return QuotedTexts(r.RawData);
    default: return "?";
    }
}

std::vector<std::string> Lines(const TIdDNSResourceList& list) {
    std::vector<std::string> lines;
    for (int32_t i = 0; i < list.Count(); ++i) {
        const TIdDNSResourceItem& r = list[i];
        lines.push_back(Absolute(r.OwnerName) + " " + std::to_string(r.TTL) + " " +
                        (r.RecordClass == 1 ? "IN" : "CLASS" + std::to_string(r.RecordClass)) +
                        " " + TypeName(r.RecordType) + " " + DataText(r));
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

// dig's records of one section, fields joined by one blank.
std::vector<std::string> DigLines(int port, const std::string& question, const char* section) {
    const std::string out = RunAndRead("dig +noedns +nocookie +time=2 +tries=1 +noall +" +
                                       std::string(section) + " -p " + std::to_string(port) +
                                       " @127.0.0.1 " + question + " 2>&1");
    std::vector<std::string> lines;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == ';') continue;
        std::istringstream fields(line);
        std::string field, joined;
        while (fields >> field) joined += (joined.empty() ? "" : " ") + field;
        lines.push_back(joined);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

// Keeps the reply for the fuzzing corpus when NORVANE_DNS_CAPTURE names a folder.
void Capture(const std::string& label, const std::string& reply) {
    if (const char* folder = std::getenv("NORVANE_DNS_CAPTURE"))
        std::ofstream(std::string(folder) + "/" + label, std::ios::binary) << reply;
}

class BindPeer : public ::testing::Test {
protected:
    void SetUp() override {
        std::string reason;
        if (!Peer.Start(reason)) GTEST_SKIP() << "no DNS server to compare with: " << reason;
    }

    void Ask(const std::string& name, uint16_t type) {
        Resolver.ClearResults();
        Resolver.Host = "127.0.0.1";
        Resolver.Port = Peer.Port();
        Resolver.Questions.Clear();
        Resolver.DNSHeader.SetQR(false);
        Resolver.DNSHeader.SetOpcode(0);
        Resolver.DNSHeader.SetRD(true);
        TQuestionItem& q = Resolver.Questions.Add();
        q.QName = name;
        q.QType = type;
        q.QClass = 1;
        Resolver.Resolve();
    }

    void ExpectSameAsDig(const std::string& label, const std::string& digQuestion) {
        SCOPED_TRACE(label);
        Capture(label, Resolver.ReplyPacket);
        EXPECT_EQ(Lines(Resolver.Answers), DigLines(Peer.Port(), digQuestion, "answer"));
        EXPECT_EQ(Lines(Resolver.Authority), DigLines(Peer.Port(), digQuestion, "authority"));
        EXPECT_EQ(Lines(Resolver.Additional), DigLines(Peer.Port(), digQuestion, "additional"));
    }

    NamedPeer Peer{kZone, kPrimary, kReverse};
    TIdDNSResolver Resolver;
};

TEST_F(BindPeer, AllRecordsMatchDig) {
    Ask(kZone, 255);
    // Every record of the zone's apex came back and was decoded.
    EXPECT_EQ(Resolver.Answers.Count(), 8);
    ExpectSameAsDig("any-apex", std::string(kZone) + " ANY");
    Ask(std::string("www.") + kZone, 255);
    ASSERT_EQ(Resolver.Answers.Count(), 1);
    EXPECT_EQ(Resolver.Answers.GetDNSRDataDomainName(0), kZone);
    ExpectSameAsDig("any-www", std::string("www.") + kZone + " ANY");
    // HINFO and MINFO live on a name of their own: a reply that ends with one of them
    // is refused by the decoder's checks, and for this name the server adds its NS and
    // address records after them.
    Ask(std::string("host.") + kZone, 255);
    EXPECT_EQ(Resolver.Answers.Count(), 3);
    EXPECT_GT(Resolver.Authority.Count() + Resolver.Additional.Count(), 0);
    ExpectSameAsDig("any-host", std::string("host.") + kZone + " ANY");
    Ask(kZone, 15);
    std::vector<std::string> exchanges;
    for (int32_t i = 0; i < Resolver.Answers.Count(); ++i)
        exchanges.push_back(Resolver.Answers.GetDNSMxExchangeNameEx(i));
    std::sort(exchanges.begin(), exchanges.end());
    EXPECT_EQ(exchanges, (std::vector<std::string>{"   10 mail.example.test",
                                                   "   20 backup.mail.example.test"}));
    ExpectSameAsDig("mx", std::string(kZone) + " MX");
}

TEST_F(BindPeer, ReverseRecordsMatchDig) {
    Ask("192.0.2.1", 12);
    ASSERT_EQ(Resolver.Answers.Count(), 1);
    EXPECT_EQ(Resolver.Answers[0].OwnerName, "1.2.0.192.in-addr.arpa");
    ExpectSameAsDig("ptr-1", "-x 192.0.2.1");
    Ask("192.0.2.25", 12);
    EXPECT_EQ(Resolver.Answers.Count(), 2);
    ExpectSameAsDig("ptr-25", "-x 192.0.2.25");
}

TEST_F(BindPeer, UnknownNameIsANameError) {
    try {
        Ask(std::string("missing.") + kZone, 255);
        ADD_FAILURE() << "an unknown name resolved";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "DNS Server Reports Query Name Error");
    }
    Capture("nxdomain", Resolver.ReplyPacket);
}

}  // namespace
