// Feeds arbitrary bytes to the DNS reply decoder as the answer to a fixed query, and to
// the name decoder at positions taken from the input. Any failure other than the
// codec's own exception, and any read past the reply's end, is a fault.
#include "net/dns/id_dns_message.h"
#include "net/dns/id_dns_reader.h"
#include "net/dns/id_dns_reply_decoder.h"
#include "net/dns/id_dns_resolver_error.h"
#include "fuzz/fail_if.h"

#include <cstdint>
#include <string>

namespace {

int32_t FixedQueryLength() {
    TIdDNSMessage query;
    query.DNSHeader.SetRD(true);
    TQuestionItem& q = query.Questions.Add();
    q.QName = "example.org";
    q.QType = 255;
    q.QClass = 1;
    query.BuildQuery();
    return query.QueryLength;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const int32_t queryLength = FixedQueryLength();
    const std::string reply(reinterpret_cast<const char*>(data), size);

    TIdDNSMessage message;
    // Take the reply's own ID so that every input reaches the sections; a wrong ID is a
    // single comparison that the unit tests cover.
    message.DNSHeader.ID = size >= 2 ? static_cast<uint16_t>(data[0] << 8 | data[1]) : 0;
    message.QueryLength = queryLength;
    message.ReplyPacket = reply;
    message.ClearResults();
    message.ReplyLength = static_cast<int32_t>(size);
    const TIdDNSReader reader(message.ReplyPacket);
    try {
        TIdDNSReplyDecoder(reader, message).Decode();
    } catch (const EIdDnsResolverError&) {
    }
    FailIf(reader.ReadPastEnd());

    // Names from a few positions the input chooses (pairs of its last bytes), as record
    // data would start them anywhere in the reply.
    const TIdDNSReader names(reply);
    for (size_t i = 0; i + 1 < size && i < 8; i += 2) {
        const size_t chosen = static_cast<size_t>(data[size - 1 - i] << 8 | data[size - 2 - i]);
        int64_t position = static_cast<int64_t>(chosen % (size + 1));
        try {
            names.DecodeName(position);
            FailIf(position < 0 || position > static_cast<int64_t>(size) + 1);
        } catch (const EIdDnsResolverError&) {
        }
    }
    FailIf(names.ReadPastEnd());
    return 0;
}
