#pragma once
#include "net/dns/id_dns_rdata.h"

#include <cstdint>
#include <vector>
#include <string>

// One resource record as decoded from a reply.
struct TIdDNSResourceItem {
    uint16_t RecordType = 0;
    uint16_t RecordClass = 0;
    std::string OwnerName;
    TRdata RData;
    uint16_t DataLength = 0;
    uint32_t TTL = 0;
    std::string RawData;  // undecoded data of NULL, TXT and the query-only types
    int32_t DataStart = 0;  // where the record's data begins in the reply
};

// The records of one reply section, in wire order. A reference returned by Add stays
// valid until the next Add beyond the reserved room; clearing keeps the room, so decoding
// reply after reply allocates no record storage.
class TIdDNSResourceList {
public:
    TIdDNSResourceItem& Add() { return FItems.emplace_back(); }
    void Clear() { FItems.clear(); }
    void Reserve(int32_t count) { FItems.reserve(static_cast<size_t>(count)); }
    int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
    TIdDNSResourceItem& operator[](int32_t index) { return FItems.at(static_cast<size_t>(index)); }
    const TIdDNSResourceItem& operator[](int32_t index) const {
        return FItems.at(static_cast<size_t>(index));
    }

    // The record's DomainName; empty when the index is out of range.
    std::string GetDNSRDataDomainName(int32_t index) const;
    // "   10 mail.example.org": the preference right-aligned in five, a blank, the
    // exchange; empty when the index is out of range.
    std::string GetDNSMxExchangeNameEx(int32_t index) const;

private:
    bool InRange(int32_t index) const { return index >= 0 && index < Count(); }
    std::vector<TIdDNSResourceItem> FItems;
};
