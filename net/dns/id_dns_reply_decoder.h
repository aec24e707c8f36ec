#pragma once
#include "net/dns/id_dns_message.h"
#include "net/dns/id_dns_reader.h"

#include <cstdint>
#include <string>

// One pass over a reply, filling the message's header and lists as it goes. Checks the
// reply against DNSHeader.ID and QueryLength of the message; the caller has cleared it.
class TIdDNSReplyDecoder {
public:
    TIdDNSReplyDecoder(const TIdDNSReader& reader, TIdDNSMessage& message)
        : R(reader), M(message) {}

    void Decode();

private:
    void ReadQuestions();
    void ReadRecords(uint16_t count, TIdDNSResourceList& list);
    void ReadRecordData(TIdDNSResourceItem& item, int64_t start);
    std::string CountedText(int64_t at) const;

    const TIdDNSReader& R;
    TIdDNSMessage& M;
    int64_t Pos = 0;
};
