// Names (labels, compression pointers, their bounds) and the record decoders.
#include "net/dns/id_dns_message.h"
#include "net/dns/id_dns_reader.h"
#include "net/dns/id_dns_resolver_error.h"
#include "tests/fixtures/dns_wire.h"

#include <gtest/gtest.h>

namespace {

constexpr uint16_t kId = 77;

struct NameCase {
    const char* label;
    std::string message;
    int64_t start;
    std::string name;
    int64_t next;  // position after the name
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << c.label; }

// example.org at 12, then the cases' own bytes from 25.
const Wire kBase = Wire().Fill(12).Name("example.org");

class DnsName : public ::testing::TestWithParam<NameCase> {};

TEST_P(DnsName, Decodes) {
    const NameCase& c = GetParam();
    TIdDNSReader reader(c.message);
    int64_t position = c.start;
    EXPECT_EQ(reader.DecodeName(position), c.name);
    EXPECT_EQ(position, c.next);
    EXPECT_FALSE(reader.ReadPastEnd());
}

INSTANTIATE_TEST_SUITE_P(
    Names, DnsName,
    ::testing::Values(
        NameCase{"labels", kBase, 12, "example.org", 25},
        NameCase{"root", Wire().U8(0).U8(1), 0, "", 1},
        NameCase{"pointer C0", Wire(kBase).Pointer(12), 25, "example.org", 27},
        NameCase{"pointer 40", Wire(kBase).Bytes({0x40, 0x0C}), 25, "example.org", 27},
        NameCase{"pointer 7F to 12", Wire(kBase).Bytes({0x7F, 0x0C}).Fill(0x3F00), 25,
                 "", 27},  // offset 0x3F0C lies in the zero fill: a root name
        NameCase{"labels then pointer", Wire(kBase).Bytes({3, 'f', 't', 'p'}).Pointer(12), 25,
                 "ftp.example.org", 31},
        NameCase{"pointer into labels", Wire(kBase).Pointer(20), 25, "org", 27},
        NameCase{"pointer then labels then pointer",
                 Wire(kBase).Bytes({3, 'w', 'w', 'w'}).Pointer(12).Pointer(25), 31,
                 "www.example.org", 33},
        NameCase{"byte after a pointer is a length",
                 Wire().Fill(12).Pointer(14).Bytes({0x41}).Fill(0x41, 'z').U8(0), 12,
                 std::string(0x41, 'z'), 14},
        NameCase{"label ends one before the end", Wire().Bytes({2, 'a', 'b', 9}), 0, "ab", 4},
        NameCase{"label ends at the end", Wire().Bytes({2, 'a', 'b'}), 0, "ab", 4},
        NameCase{"dot inside a label", Wire().Bytes({3, 'a', '.', 'b', 0}), 0, "a.b", 5}));

std::string NameError(const std::string& message, int64_t start) {
    TIdDNSReader reader(message);
    try {
        reader.DecodeName(start);
        return "";
    } catch (const EIdDnsResolverError& e) {
        EXPECT_FALSE(reader.ReadPastEnd());
        return e.what();
    }
}

TEST(DnsName, PointerLoopsAreStopped) {
    // A label, then a pointer back to it: without a bound this never ends.
    EXPECT_EQ(NameError(Wire().Fill(12).Bytes({1, 'a'}).Pointer(12), 12),
              "Invalid domain name: more than 64 compression pointers");
    // Two pointers leading to each other through one label each.
    EXPECT_EQ(NameError(Wire().Fill(12).Bytes({1, 'a'}).Pointer(16).Bytes({1, 'b'}).Pointer(12), 12),
              "Invalid domain name: more than 64 compression pointers");
}

// A chain that follows `pointers` pointers, each to a one-letter label.
std::string PointerChain(int pointers) {
    Wire w;
    w.Fill(12);
    for (int i = 0; i < pointers; ++i) {
        const uint16_t next = static_cast<uint16_t>(12 + 4 * (i + 1));
        w.Bytes({1, 'a'});
        if (i + 1 < pointers) w.Pointer(next); else w.U8(0);
    }
    return w.Pointer(12);
}

TEST(DnsName, SixtyFourPointersAreFollowed) {
    const std::string chain64 = PointerChain(64);
    TIdDNSReader reader(chain64);
    int64_t position = static_cast<int64_t>(chain64.size()) - 2;
    std::string expected;
    for (int i = 0; i < 64; ++i) expected += i ? ".a" : "a";
    EXPECT_EQ(reader.DecodeName(position), expected);
    EXPECT_EQ(NameError(PointerChain(65), static_cast<int64_t>(PointerChain(65).size()) - 2),
              "Invalid domain name: more than 64 compression pointers");
}

TEST(DnsName, TextLengthIsBounded) {
    // 16 labels of 63 letters: 1023 characters with the dots, the longest accepted.
    Wire ok;
    for (int i = 0; i < 16; ++i) ok.U8(63).Fill(63, 'x');
    const std::string closed = Wire(ok).U8(0);
    TIdDNSReader reader(closed);
    int64_t position = 0;
    EXPECT_EQ(reader.DecodeName(position).size(), 16u * 64 - 1);
    EXPECT_EQ(NameError(Wire(ok).U8(1).U8('y').U8(0), 0),
              "Invalid domain name: longer than 1024 characters");
}

// ---- records -----------------------------------------------------------------------

TIdDNSMessage DecodeOk(const std::string& reply) {
    TIdDNSMessage m;
    m.DNSHeader.ID = kId;
    m.ReplyPacket = reply;
    m.DecodeReply();
    return m;
}

Wire Reply(uint16_t an, uint16_t ns = 0, uint16_t ar = 0) {
    return Wire().Header(kId, 0x8580, 1, an, ns, ar).Name("example.org").U16(255).U16(1);
}

TEST(DnsRecords, EveryDecodedType) {
    const std::string reply =
        Reply(10, 1, 1)
            .Record("example.org", 1, 3600, Wire().Bytes({192, 0, 2, 1}))
            .Name("www.example.org").RecordHead(5, 60, 2).Pointer(12)
            .Name("example.org").RecordHead(2, 60, 6).Bytes({3, 'n', 's', '1'}).Pointer(12)
            .Record("example.org", 15, 60, Wire().U16(10).Name("mail.example.org"))
            .Record("example.org", 13, 60,
                    Wire().Bytes({5, 'I', 'N', 'T', 'E', 'L', 5, 'L', 'I', 'N', 'U', 'X'}))
            .Record("example.org", 14, 60, Wire().Name("admin.example.org").Name("err.example.org"))
            .Record("example.org", 6, 7200,
                    Wire().Name("ns1.example.org").Name("host.example.org")
                        .U32(2024010101).U32(7200).U32(900).U32(1209600).U32(300))
            .Record("example.org", 11, 60, Wire().Bytes({192, 0, 2, 9, 6}).Fill(8, 0xA5).U8(0x11))
            .Record("example.org", 16, 60, Wire().Bytes({5, 'h', 'e', 'l', 'l', 'o'}))
            .Record("1.2.0.192.in-addr.arpa", 12, 60, Wire().Name("host.example.org"))
            .Record("example.org", 28, 60, Wire().Fill(16, 1))
            .Record("example.org", 10, 60, Wire().Bytes({0, 1, 2}))
            .U8(0);
    const TIdDNSMessage m = DecodeOk(reply);
    ASSERT_EQ(m.Answers.Count(), 10);
    ASSERT_EQ(m.Authority.Count(), 1);
    ASSERT_EQ(m.Additional.Count(), 1);

    const auto& a = m.Answers[0];
    EXPECT_EQ(a.OwnerName, "example.org");
    EXPECT_EQ(a.RecordType, 1);
    EXPECT_EQ(a.RecordClass, 1);
    EXPECT_EQ(a.TTL, 3600u);  // 00 00 0E 10
    EXPECT_EQ(a.DataLength, 4);
    EXPECT_EQ(a.RData.HostAddress, "192.0.2.1");
    EXPECT_EQ(m.Answers[1].OwnerName, "www.example.org");
    EXPECT_EQ(m.Answers.GetDNSRDataDomainName(1), "example.org");
    EXPECT_EQ(m.Answers.GetDNSRDataDomainName(2), "ns1.example.org");
    EXPECT_EQ(m.Answers[3].RData.MX.Preference, 10);
    EXPECT_EQ(m.Answers[3].RData.MX.Exchange, "mail.example.org");
    EXPECT_EQ(m.Answers.GetDNSMxExchangeNameEx(3), "   10 mail.example.org");
    EXPECT_EQ(m.Answers[4].RData.HInfo.CPU, "INTEL");
    EXPECT_EQ(m.Answers[4].RData.HInfo.OS, "LINUX");
    EXPECT_EQ(m.Answers[5].RData.MInfo.RMailBox, "admin.example.org");
    EXPECT_EQ(m.Answers[5].RData.MInfo.EMailBox, "err.example.org");
    const auto& soa = m.Answers[6].RData.SOA;
    EXPECT_EQ(soa.MName, "ns1.example.org");
    EXPECT_EQ(soa.RName, "host.example.org");
    EXPECT_EQ(soa.Serial, 2024010101u);
    EXPECT_EQ(soa.Refresh, 7200u);
    EXPECT_EQ(soa.Retry, 900u);
    EXPECT_EQ(soa.Expire, 1209600u);
    EXPECT_EQ(soa.Minimum, 300u);
    const auto& wks = m.Answers[7].RData.WKS;
    EXPECT_EQ(wks.Address, 0xC0000209u);
    EXPECT_EQ(wks.Protocol, 6);
    EXPECT_EQ(wks.Bitmap, (std::array<uint8_t, 8>{0xA5, 0xA5, 0xA5, 0xA5, 0xA5, 0xA5, 0xA5, 0xA5}));
    EXPECT_EQ(m.Answers[8].RawData, std::string("\x05hello"));
    EXPECT_TRUE(m.Answers[8].RData.DomainName.empty());
    EXPECT_EQ(m.Answers[9].OwnerName, "1.2.0.192.in-addr.arpa");
    EXPECT_EQ(m.Answers.GetDNSRDataDomainName(9), "host.example.org");

    // Type 28 has no decoder: kept with its header, and the next record is read.
    const auto& aaaa = m.Authority[0];
    EXPECT_EQ(aaaa.RecordType, 28);
    EXPECT_EQ(aaaa.DataLength, 16);
    EXPECT_EQ(aaaa.TTL, 60u);
    EXPECT_TRUE(aaaa.RawData.empty() && aaaa.RData.HostAddress.empty() &&
                aaaa.RData.DomainName.empty());
    // Its data can still be found in the reply.
    EXPECT_EQ(m.ReplyPacket.substr(static_cast<size_t>(aaaa.DataStart), aaaa.DataLength), std::string(16, '\1'));
    EXPECT_EQ(m.Additional[0].RawData, std::string("\0\1\2", 3));

    EXPECT_EQ(m.DNSHeader.Flags, 0x8580);
    EXPECT_EQ(m.DNSHeader.QDCount, 1);
    EXPECT_EQ(m.DNSHeader.ANCount, 10);
}

TEST(DnsRecords, ListLookupsOutOfRange) {
    const TIdDNSMessage m = DecodeOk(
        Reply(1).Record("example.org", 15, 60, Wire().U16(65535).Name("mx.example.org")).U8(0));
    EXPECT_EQ(m.Answers.GetDNSMxExchangeNameEx(0), "65535 mx.example.org");
    for (int32_t index : {-1, 1, 1000}) {
        EXPECT_EQ(m.Answers.GetDNSMxExchangeNameEx(index), "");
        EXPECT_EQ(m.Answers.GetDNSRDataDomainName(index), "");
    }
}

TEST(DnsRecords, GroupTextsAreCutTo255) {
    std::string longName;
    for (int i = 0; i < 5; ++i) longName += (i ? "." : "") + std::string(60, static_cast<char>('a' + i));
    ASSERT_EQ(longName.size(), 304u);
    const TIdDNSMessage m = DecodeOk(
        Reply(3)
            .Record("example.org", 15, 60, Wire().U16(5).Name(longName))
            .Record("example.org", 6, 60, Wire().Name(longName).Name(longName).Fill(20))
            .Record("example.org", 2, 60, Wire().Name(longName))
            .U8(0));
    EXPECT_EQ(m.Answers[0].RData.MX.Exchange, longName.substr(0, 255));
    EXPECT_EQ(m.Answers[1].RData.SOA.MName, longName.substr(0, 255));
    EXPECT_EQ(m.Answers[1].RData.SOA.RName, longName.substr(0, 255));
    EXPECT_EQ(m.Answers[2].RData.DomainName, longName);  // plain names are not cut
}

TEST(DnsRecords, ClassIsStoredNotChecked) {
    const TIdDNSMessage m = DecodeOk(
        Reply(1).Name("example.org").RecordHead(1, 5, 4, 3).Bytes({10, 1, 2, 3}).U8(0));
    EXPECT_EQ(m.Answers[0].RecordClass, 3);
    EXPECT_EQ(m.Answers[0].RData.HostAddress, "10.1.2.3");
}

TEST(DnsRecords, DecodingClearsThePreviousResults) {
    TIdDNSMessage m = DecodeOk(Reply(1).Record("a", 1, 1, Wire().Bytes({1, 2, 3, 4})).U8(0));
    m.Questions.Add().QName = "stale";
    m.ReplyPacket = Wire().Header(kId, 0x8180, 0, 0, 0, 0);
    m.DecodeReply();
    EXPECT_EQ(m.Answers.Count() + m.Questions.Count() + m.Authority.Count() + m.Additional.Count(), 0);
    EXPECT_EQ(m.DNSHeader.ID, kId);
}

}  // namespace
