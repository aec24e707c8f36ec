// Damaged replies: every prefix and every single-byte change of a full reply decodes or
// fails with the codec's own exception, and no read ever goes past the reply's end.
#include "net/dns/id_dns_message.h"
#include "net/dns/id_dns_reader.h"
#include "net/dns/id_dns_reply_decoder.h"
#include "net/dns/id_dns_resolver_error.h"
#include "tests/fixtures/dns_wire.h"

#include <gtest/gtest.h>

namespace {

constexpr uint16_t kId = 4242;

std::string FullReply() {
    return Wire()
        .Header(kId, 0x8580, 1, 9, 1, 1)
        .Name("example.org").U16(255).U16(1)
        .Name("example.org").RecordHead(6, 3600, 30).Pointer(12).Bytes({5, 'a', 'd', 'm', 'i', 'n'})
        .Pointer(12).U32(1).U32(2).U32(3).U32(4).U32(5)
        .Record("example.org", 1, 60, Wire().Bytes({192, 0, 2, 1}))
        .Name("example.org").RecordHead(2, 60, 6).Bytes({3, 'n', 's', '1'}).Pointer(12)
        .Record("example.org", 15, 60, Wire().U16(10).Name("mail.example.org"))
        .Record("example.org", 13, 60, Wire().Bytes({3, 'x', '8', '6', 5, 'L', 'I', 'N', 'U', 'X'}))
        .Record("example.org", 14, 60, Wire().Name("a.example.org").Name("b.example.org"))
        .Record("example.org", 11, 60, Wire().Bytes({10, 0, 0, 1, 17}).Fill(8, 0xFF))
        .Record("example.org", 16, 60, Wire().Bytes({3, 'a', 'b', 'c'}))
        .Record("example.org", 12, 60, Wire().Name("h.example.org"))
        .Record("example.org", 2, 60, Wire().Name("ns2.example.org"))
        .Record("ns2.example.org", 1, 60, Wire().Bytes({192, 0, 2, 2}))
        .U8(0);
}

// Decodes as the message would, reporting whether a read went past the end.
bool DecodeReadsPastEnd(const std::string& reply) {
    TIdDNSMessage m;
    m.DNSHeader.ID = kId;
    m.ReplyPacket = reply;
    m.ClearResults();
    const TIdDNSReader reader(m.ReplyPacket);
    try {
        TIdDNSReplyDecoder(reader, m).Decode();
    } catch (const EIdDnsResolverError&) {
    }
    return reader.ReadPastEnd();
}

TEST(DnsRobustness, FullReplyDecodes) {
    TIdDNSMessage m;
    m.DNSHeader.ID = kId;
    m.ReplyPacket = FullReply();
    m.DecodeReply();
    EXPECT_EQ(m.Answers.Count(), 9);
    EXPECT_EQ(m.Authority.Count(), 1);
    EXPECT_EQ(m.Additional.Count(), 1);
    EXPECT_EQ(m.Answers[0].RData.SOA.RName, "admin.example.org");
}

TEST(DnsRobustness, EveryPrefix) {
    const std::string full = FullReply();
    for (size_t n = 0; n <= full.size(); ++n)
        EXPECT_FALSE(DecodeReadsPastEnd(full.substr(0, n))) << "prefix of " << n << " bytes";
}

TEST(DnsRobustness, EverySingleByteChange) {
    const std::string full = FullReply();
    const uint8_t values[] = {0x00, 0x01, 0x3F, 0x40, 0x7F, 0xC0, 0xFF};
    for (size_t i = 2; i < full.size(); ++i) {
        for (uint8_t v : values) {
            std::string changed = full;
            changed[i] = static_cast<char>(v);
            EXPECT_FALSE(DecodeReadsPastEnd(changed)) << "byte " << i << " = " << int(v);
            // The same change with the reply cut right after it.
            EXPECT_FALSE(DecodeReadsPastEnd(changed.substr(0, i + 1))) << "cut after " << i;
        }
    }
}

}  // namespace
