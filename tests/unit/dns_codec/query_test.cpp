// Building queries: the header bits, the question names and the refused types.
#include "net/dns/id_dns_message.h"
#include "net/dns/id_dns_resolver_error.h"
#include "tests/fixtures/dns_wire.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TIdDNSMessage QueryFor(const std::string& name, uint16_t type) {
    TIdDNSMessage m;
    m.DNSHeader.SetQR(false);
    m.DNSHeader.SetOpcode(0);
    m.DNSHeader.SetRD(true);
    TQuestionItem& q = m.Questions.Add();
    q.QName = name;
    q.QType = type;
    q.QClass = 1;
    return m;
}

std::string AfterId(const std::string& packet) { return packet.substr(2); }

TEST(DnsHeader, FlagBitsAndReset) {
    TIdDNSHeader h;
    h.Flags = 0;
    h.SetQR(true);
    EXPECT_EQ(h.Flags, 0x8000);
    h.SetOpcode(0x1F);  // only the low four bits count
    EXPECT_EQ(h.Flags, 0x8000 | 0x7800);
    h.SetOpcode(2);
    EXPECT_EQ(h.Flags, 0x8000 | 0x1000);
    h.SetRD(true);
    EXPECT_EQ(h.Flags, 0x9100);
    h.SetQR(false);
    h.SetRD(false);
    EXPECT_EQ(h.Flags, 0x1000);
    h.Flags = 0x85A3;
    EXPECT_EQ(h.RCode(), 3);

    h.ID = 4321;
    h.QDCount = h.ANCount = h.NSCount = h.ARCount = 7;
    h.Reset();
    EXPECT_EQ(h.ID, 4321);
    EXPECT_EQ(h.Flags | h.QDCount | h.ANCount | h.NSCount | h.ARCount, 0);
}

TEST(DnsHeader, IdRanges) {
    std::set<uint16_t> initial;
    for (int i = 0; i < 200; ++i) {
        TIdDNSHeader h;
        EXPECT_LE(h.ID, 9999);
        initial.insert(h.ID);
    }
    EXPECT_GT(initial.size(), 1u);

    TIdDNSMessage m = QueryFor("example.org", 255);
    uint16_t highest = 0;
    for (int i = 0; i < 3000; ++i) {
        m.BuildQuery();
        EXPECT_LE(m.DNSHeader.ID, 61999);
        highest = std::max(highest, m.DNSHeader.ID);
        EXPECT_EQ(static_cast<uint8_t>(m.QueryPacket[0]) << 8 | static_cast<uint8_t>(m.QueryPacket[1]),
                  m.DNSHeader.ID);
    }
    EXPECT_GT(highest, 9999);  // queries use the wide range, not the initial one
}

TEST(DnsQuery, AllRecordsForExampleOrg) {
    TIdDNSMessage m = QueryFor("example.org", 255);
    m.BuildQuery();
    const std::string expected = Wire()
        .Bytes({0x01, 0x00, 0x00, 0x01, 0, 0, 0, 0, 0, 0})
        .Name("example.org").U16(255).U16(1);
    EXPECT_EQ(AfterId(m.QueryPacket), expected);
    EXPECT_EQ(m.QueryLength, 29);
    EXPECT_EQ(m.DNSHeader.QDCount, 1);
}

TEST(DnsQuery, CountsOfRecordSectionsAreAlwaysZero) {
    TIdDNSMessage m = QueryFor("a", 1);
    m.DNSHeader.ANCount = m.DNSHeader.NSCount = m.DNSHeader.ARCount = 9;
    m.Questions.Add() = TQuestionItem{1, "b", 2};
    m.BuildQuery();
    EXPECT_EQ(AfterId(m.QueryPacket).substr(0, 10),
              std::string(Wire().Bytes({0x01, 0x00, 0x00, 0x02, 0, 0, 0, 0, 0, 0})));
    EXPECT_EQ(m.QueryPacket.substr(12),
              std::string(Wire().Name("a").U16(1).U16(1).Name("b").U16(2).U16(1)));
}

struct NameCase {
    const char* name;
    uint16_t type;
    std::string wire;  // name bytes, the closing 0 included
};

class DnsQueryName : public ::testing::TestWithParam<NameCase> {};

TEST_P(DnsQueryName, WrittenAsExpected) {
    const NameCase& c = GetParam();
    TIdDNSMessage m = QueryFor(c.name, c.type);
    m.BuildQuery();
    EXPECT_EQ(m.QueryPacket.substr(12), c.wire + std::string(Wire().U16(c.type).U16(1)));
    EXPECT_EQ(m.QueryLength, static_cast<int32_t>(m.QueryPacket.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Names, DnsQueryName,
    ::testing::Values(
        NameCase{"ftp.example.org", 1, Wire().Name("ftp.example.org")},
        NameCase{"a..b", 2, Wire().Bytes({1, 'a', 0, 1, 'b', 0})},
        NameCase{".a", 15, Wire().Bytes({0, 1, 'a', 0})},
        NameCase{"a.", 16, Wire().Bytes({1, 'a', 0})},
        NameCase{"", 255, Wire().Bytes({0})},
        NameCase{"x.y", 253, Wire().Name("x.y")},
        NameCase{"192.0.2.1", 12, Wire().Name("1.2.0.192.in-addr.arpa")},
        NameCase{"host", 12, Wire().Name("host.in-addr.arpa")},
        NameCase{"example.org", 28, Wire().Bytes({0})},   // other types ask about the root
        NameCase{"example.org", 0, Wire().Bytes({0})},
        NameCase{"example.org", 251, Wire().Bytes({0})}));

TEST(DnsQuery, LongLabelLengthIsNotChecked) {
    const std::string label(300, 'x');
    TIdDNSMessage m = QueryFor(label, 1);
    m.BuildQuery();
    EXPECT_EQ(static_cast<uint8_t>(m.QueryPacket[12]), 300 & 0xFF);
    EXPECT_EQ(m.QueryPacket.substr(13, 300), label);
}

TEST(DnsQuery, RefusedQuestions) {
    struct Case { uint16_t type; const char* message; };
    for (const Case& c : {Case{3, "MD is an Obsolete Command. Use MX."},
                          Case{4, "MF is an Obsolete Command. USE MX."},
                          Case{254, "MailA is an Obsolete Command. USE MX."}}) {
        TIdDNSMessage m = QueryFor("example.org", c.type);
        try {
            m.BuildQuery();
            ADD_FAILURE() << "type " << c.type << " was accepted";
        } catch (const EIdDnsResolverError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
    TIdDNSMessage empty;
    try {
        empty.BuildQuery();
        ADD_FAILURE() << "a query without question was built";
    } catch (const EIdDnsResolverError& e) {
        EXPECT_STREQ(e.what(), "Invaild Query Count 1");
    }
}

}  // namespace
