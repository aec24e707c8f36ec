#pragma once
#include "net/dns/id_dns_header.h"
#include "net/dns/id_dns_question.h"
#include "net/dns/id_dns_resource.h"

#include <cstdint>
#include <string>

// The DNS codec without a socket: builds QueryPacket from DNSHeader and Questions, and
// decodes ReplyPacket into the header and the four lists. The resolver adds the
// exchange; tests and the fuzzer drive it directly.
class TIdDNSMessage {
public:
    virtual ~TIdDNSMessage() = default;

    TIdDNSResourceList Answers;
    TIdDNSResourceList Additional;
    TIdDNSHeader DNSHeader;
    TIdDNSQuestionList Questions;
    TIdDNSResourceList Authority;
    std::string QueryPacket;
    std::string ReplyPacket;
    int32_t QueryLength = 0;
    int32_t ReplyLength = 0;

    // Resets the header (the ID stays) and empties the four lists.
    virtual void ClearResults();

    // A fresh ID, then the header and every question into QueryPacket.
    void BuildQuery();
    // ReplyPacket against the query's ID and QueryLength. Records decoded before a
    // failing check stay in their lists.
    void DecodeReply();
};
