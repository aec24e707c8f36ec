// Every bounds check of reply decoding, at the length where it fires and one byte
// further, where it no longer does (the next check may then fire instead).
#include "net/dns/id_dns_message.h"
#include "net/dns/id_dns_resolver_error.h"
#include "tests/fixtures/dns_wire.h"

#include <gtest/gtest.h>

namespace {

constexpr uint16_t kId = 0x2B67;
constexpr uint16_t kReplyFlags = 0x8180;

Wire Head(uint16_t qd, uint16_t an = 0, uint16_t ns = 0, uint16_t ar = 0) {
    return Wire().Header(kId, kReplyFlags, qd, an, ns, ar);
}

// One answer owned by the root at offset 12, its data starting at offset 23.
Wire Answer(uint16_t type, std::initializer_list<uint8_t> data, uint16_t dataLength = 0) {
    return Head(0, 1).U8(0).RecordHead(type, 60, dataLength).Bytes(data);
}

// An SOA answer with two root names and `count` bytes after them.
std::string Soa(size_t count) { return Answer(6, {0, 0}).Fill(count, 7); }

std::string Decode(TIdDNSMessage& m, const std::string& reply, int32_t queryLength = 0) {
    m.DNSHeader.ID = kId;
    m.QueryLength = queryLength;
    m.ReplyPacket = reply;
    try {
        m.DecodeReply();
        return "";
    } catch (const EIdDnsResolverError& e) {
        return e.what();
    }
}

struct CheckCase {
    const char* label;
    std::string reply;
    std::string expected;  // "" when decoding succeeds
    int32_t queryLength = 0;
};

void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.label; }

const std::string kSize = "Invalid Packet Size ";
const std::string kLess4 = "Received Packet is too small. Less than 4 bytes 28";
const std::string kLess12 = "Received Packet is too small. Less than 12 bytes ";
const std::string kSmall = "Received Packet is too small. ";

class DnsReplyCheck : public ::testing::TestWithParam<CheckCase> {};

TEST_P(DnsReplyCheck, FiresAtItsBoundary) {
    const CheckCase& c = GetParam();
    TIdDNSMessage m;
    EXPECT_EQ(Decode(m, c.reply, c.queryLength), c.expected);
    EXPECT_EQ(m.ReplyLength, static_cast<int32_t>(c.reply.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Header, DnsReplyCheck,
    ::testing::Values(
        CheckCase{"empty", "", kLess4},
        CheckCase{"three bytes", Wire().U16(kId).U8(0x81), kLess4},
        CheckCase{"four bytes", Wire().U16(kId).U16(kReplyFlags), kLess12 + "29"},
        CheckCase{"other id", Wire().U16(kId + 1).U16(kReplyFlags), "Invalid Header Id 11111"},
        CheckCase{"id before rcode", Wire().U16(kId - 1).U16(0x8183), "Invalid Header Id 11111"},
        CheckCase{"name error in four bytes", Wire().U16(kId).U16(0x8183),
                  "DNS Server Reports Query Name Error"},
        CheckCase{"eleven bytes", Head(0).Str().substr(0, 11), kLess12 + "29"},
        CheckCase{"twelve bytes", Head(0), ""},
        CheckCase{"shorter than the query", Head(0).Fill(7), kLess12 + "30", 20},
        CheckCase{"as long as the query", Head(0).Fill(8), "", 20}));

INSTANTIATE_TEST_SUITE_P(
    Questions, DnsReplyCheck,
    ::testing::Values(
        CheckCase{"name at the end", Head(1), kSize + "2"},
        CheckCase{"pointer to the end", Head(1).Pointer(14), kSize + "2"},
        CheckCase{"pointer to the last byte", Head(1).Pointer(13), kSize + "3"},
        CheckCase{"label past the end", Head(1).Bytes({3, 'a', 'b'}), kSize + "3"},
        CheckCase{"label up to the end", Head(1).Bytes({3, 'a', 'b', 'c'}), kSize + "4"},
        CheckCase{"no type", Head(1).U8(0), kSize + "4"},
        CheckCase{"half a type", Head(1).U8(0).U8(0), kSize + "5"},
        CheckCase{"type, no class", Head(1).U8(0).U16(1), kSize + "5"},
        CheckCase{"half a class", Head(1).U8(0).U16(1).U8(0), kSize + "6"},
        CheckCase{"whole question", Head(1).U8(0).U16(1).U16(1), ""}));

INSTANTIATE_TEST_SUITE_P(
    Sections, DnsReplyCheck,
    ::testing::Values(
        CheckCase{"answers, one byte left", Head(0, 1).U8(0), kSmall + "31"},
        CheckCase{"authority only, one byte left", Head(0, 0, 1).U8(0), kSmall + "31"},
        CheckCase{"additional only, one byte left", Head(0, 0, 0, 1).U8(0), kSmall + "31"},
        CheckCase{"answers, two bytes left", Head(0, 1).U8(0).U8(0), kSize + "23"},
        CheckCase{"record head cut", Head(0, 1).U8(0).Fill(10), kSize + "23"},
        CheckCase{"record head and one byte", Head(0, 1).U8(0).Fill(11), ""},
        CheckCase{"data past the end", Head(0, 1).U8(0).RecordHead(99, 0, 2).U8(0), kSize + "23"},
        CheckCase{"data up to the end", Head(0, 1).U8(0).RecordHead(99, 0, 1).U8(0), ""},
        CheckCase{"authority after the end", Head(0, 1, 1).U8(0).RecordHead(99, 0, 0).U8(0),
                  kSmall + "32"},
        CheckCase{"authority after two bytes", Head(0, 1, 1).U8(0).RecordHead(99, 0, 0).Fill(2),
                  kSize + "23"},
        CheckCase{"additional after answers", Head(0, 1, 0, 1).U8(0).RecordHead(99, 0, 0).U8(0),
                  kSmall + "32"},
        CheckCase{"additional after authority", Head(0, 0, 1, 1).U8(0).RecordHead(99, 0, 0).U8(0),
                  kSmall + "33"}));

INSTANTIATE_TEST_SUITE_P(
    RecordData, DnsReplyCheck,
    ::testing::Values(
        CheckCase{"A, three bytes", Answer(1, {192, 0, 2}), kSize + "7"},
        CheckCase{"A, four bytes", Answer(1, {192, 0, 2, 1}), ""},
        CheckCase{"NS up to the end", Answer(2, {3, 'a', 'b', 'c'}), kSize + "8"},
        CheckCase{"NS closed", Answer(2, {3, 'a', 'b', 'c', 0}), ""},
        CheckCase{"SOA, mname only", Answer(6, {0}), kSize + "9"},
        CheckCase{"SOA, 4 after names", Soa(4), kSize + "10"},
        CheckCase{"SOA, 5 after names", Soa(5), kSize + "11"},
        CheckCase{"SOA, 8 after names", Soa(8), kSize + "11"},
        CheckCase{"SOA, 9 after names", Soa(9), kSize + "12"},
        CheckCase{"SOA, 12 after names", Soa(12), kSize + "12"},
        CheckCase{"SOA, 13 after names", Soa(13), kSize + "13"},
        CheckCase{"SOA, 16 after names", Soa(16), kSize + "13"},
        CheckCase{"SOA, 17 after names", Soa(17), kSize + "14"},
        CheckCase{"SOA, 19 after names", Soa(19), kSize + "14"},
        CheckCase{"SOA, 20 after names", Soa(20), ""},
        CheckCase{"WKS, 4 bytes", Answer(11, {1, 2, 3, 4}), kSize + "15"},
        CheckCase{"WKS, 5 bytes", Answer(11, {1, 2, 3, 4, 6}), kSize + "16"},
        CheckCase{"WKS, 12 bytes", Answer(11, {1, 2, 3, 4, 6, 1, 2, 3, 4, 5, 6, 7}), kSize + "16"},
        CheckCase{"WKS, 13 bytes", Answer(11, {1, 2, 3, 4, 6, 1, 2, 3, 4, 5, 6, 7, 8}), ""},
        CheckCase{"HINFO, first text to the end", Answer(13, {5, 'I', 'N', 'T', 'E', 'L'}),
                  kSize + "17"},
        CheckCase{"HINFO, first text and a byte", Answer(13, {5, 'I', 'N', 'T', 'E', 'L', 5}),
                  kSize + "18"},
        CheckCase{"HINFO, second text one byte short",
                  Answer(13, {5, 'I', 'N', 'T', 'E', 'L', 5, 'L', 'I', 'N', 'U'}), kSize + "18"},
        CheckCase{"HINFO, second text to the end",
                  Answer(13, {5, 'I', 'N', 'T', 'E', 'L', 5, 'L', 'I', 'N', 'U', 'X'}), ""},
        CheckCase{"HINFO, empty second text to the end", Answer(13, {1, 'X', 0}), ""},
        CheckCase{"MINFO, first name only", Answer(14, {0}), kSize + "19"},
        CheckCase{"MINFO, two names to the end", Answer(14, {0, 0}), ""},
        CheckCase{"MINFO, second name unterminated", Answer(14, {0, 1, 'a'}), kSize + "20"},
        CheckCase{"MINFO, second name cut at a label length", Answer(14, {0, 3, 'a', 'b', 'c', 7}), kSize + "20"},
        CheckCase{"MX, two bytes", Answer(15, {0, 10}), kSize + "21"},
        CheckCase{"MX, root exchange to the end", Answer(15, {0, 0, 0}), ""},
        CheckCase{"MX, pointer to the end", Answer(15, {0, 10, 0xC0, 12}), ""},
        CheckCase{"MX, exchange unterminated", Answer(15, {0, 10, 1, 'a'}), kSize + "22"},
        CheckCase{"MX, exchange cut at a label length", Answer(15, {0, 10, 3, 'a', 'b', 'c', 7}), kSize + "22"},
        CheckCase{"MX, exchange cut in its pointer", Answer(15, {0, 10, 1, 'a', 0xC0}), kSize + "22"},
        CheckCase{"MX, exchange label past the end", Answer(15, {0, 10, 2, 'a'}), kSize + "3"}));

INSTANTIATE_TEST_SUITE_P(
    RefusedRecords, DnsReplyCheck,
    ::testing::Values(
        CheckCase{"MD record", Answer(3, {0, 0}), "MD is an Obsolete Command. Use MX."},
        CheckCase{"MF record", Answer(4, {0, 0}), "MF is an Obsolete Command. USE MX."},
        CheckCase{"MAILB record", Answer(253, {0, 0}), "-Err 501 MailB is not implemented"},
        CheckCase{"MAILA record", Answer(254, {0, 0}), "MailA is an Obsolete Command. USE MX."}));

TEST(DnsReply, ResponseCodes) {
    const char* messages[16] = {
        "", "DNS Server Reports Query Format Error", "DNS Server Reports Query Server Error",
        "DNS Server Reports Query Name Error", "DNS Server Reports Query Not Implemented Error",
        "DNS Server Reports Query Refused Error"};
    for (uint16_t code = 0; code < 16; ++code) {
        const std::string expected =
            code == 0 ? kLess12 + "29" : code < 6 ? messages[code] : "Server Returned Unknown Error";
        TIdDNSMessage m;
        EXPECT_EQ(Decode(m, Wire().U16(kId).U16(0x8180 | code).U8(0)), expected) << code;
        EXPECT_EQ(m.DNSHeader.RCode(), code);
    }
}

TEST(DnsReply, KeepsRecordsReadBeforeAFailure) {
    TIdDNSMessage m;
    const std::string reply = Head(1, 2, 0, 0)
        .Name("example.org").U16(255).U16(1)
        .Record("example.org", 1, 60, Wire().Bytes({192, 0, 2, 1}))
        .Name("example.org").RecordHead(1, 60, 30).Fill(4);
    EXPECT_EQ(Decode(m, reply), kSize + "23");
    ASSERT_EQ(m.Answers.Count(), 2);
    EXPECT_EQ(m.Answers[0].RData.HostAddress, "192.0.2.1");
    EXPECT_EQ(m.Answers[1].OwnerName, "example.org");
    EXPECT_EQ(m.Answers[1].DataLength, 30);
    EXPECT_EQ(m.DNSHeader.ANCount, 2);
    ASSERT_EQ(m.Questions.Count(), 1);
    EXPECT_EQ(m.Questions[0].QName, "example.org");
}

TEST(DnsReply, AnnouncedAnswersBeyondTheEnd) {
    // Two answers announced, the reply ends one byte after the first: reading stops.
    const Wire first = Wire().Record("a.example", 1, 60, Wire().Bytes({10, 0, 0, 1}));
    TIdDNSMessage m;
    EXPECT_EQ(Decode(m, Head(0, 2).Raw(first.Str()).U8(0)), "");
    EXPECT_EQ(m.Answers.Count(), 1);
    EXPECT_EQ(Decode(m, Head(0, 2, 1).Raw(first.Str()).U8(0)), kSmall + "32");
    EXPECT_EQ(Decode(m, Head(0, 2, 0, 3).Raw(first.Str())), kSmall + "32");
    EXPECT_EQ(m.Answers.Count(), 1);
}

TEST(DnsReply, BytesAfterTheLastRecordAreIgnored) {
    TIdDNSMessage m;
    const std::string reply =
        Head(0, 1).Record("a", 1, 60, Wire().Bytes({10, 0, 0, 1})).Fill(40, 0xFF);
    EXPECT_EQ(Decode(m, reply), "");
    EXPECT_EQ(m.Answers.Count(), 1);
    EXPECT_EQ(m.Authority.Count() + m.Additional.Count(), 0);
}

}  // namespace
