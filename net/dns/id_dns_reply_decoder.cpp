#include "net/dns/id_dns_reply_decoder.h"

#include "net/dns/id_dns_record_types.h"
#include "net/dns/id_dns_resolver_error.h"
#include "runtime/text.h"

#include <algorithm>

namespace {

constexpr int64_t kHeaderSize = 12;
constexpr uint8_t kLongestLabel = 63;  // a larger first byte starts a pointer

[[noreturn]] void Raise(const std::string& message) { throw EIdDnsResolverError(message); }
[[noreturn]] void RaisePacketSize(int check) { Raise(Format("Invalid Packet Size %d", check)); }
[[noreturn]] void RaiseTooSmall(int check) { Raise(Format("Received Packet is too small. %d", check)); }

std::string Cut255(std::string text) {
    if (text.size() > kRdataTextMax) text.resize(kRdataTextMax);
    return text;
}

// Four bytes as decimal numbers joined by "."; called for every address record.
std::string DottedQuad(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
    char text[16];
    char* out = text;
    for (uint8_t part : {a, b, c, d}) {
        if (out != text) *out++ = '.';
        if (part >= 100) *out++ = static_cast<char>('0' + part / 100);
        if (part >= 10) *out++ = static_cast<char>('0' + part / 10 % 10);
        *out++ = static_cast<char>('0' + part % 10);
    }
    return std::string(text, static_cast<size_t>(out - text));
}

// Whether the name at `at` ends within the reply with its zero byte or a pointer. Decoding
// also stops at the reply's last byte when that is a label length: a name cut there is
// no name, where it may end the reply.
bool NameEndsWithin(const TIdDNSReader& reader, int64_t at) {
    while (at < reader.Length()) {
        const uint8_t count = reader.Byte(at);
        if (count == 0) return true;
        if (count > kLongestLabel) return at + 1 < reader.Length();
        at += 1 + count;
    }
    return false;
}

}  // namespace

std::string TIdDNSReplyDecoder::CountedText(int64_t at) const {
    return std::string(R.Bytes(at + 1, R.Byte(at)));
}

void TIdDNSReplyDecoder::Decode() {
    TIdDNSHeader& header = M.DNSHeader;
    const int64_t length = R.Length();
    if (length < 4) Raise(Format("Received Packet is too small. Less than 4 bytes %d", 28));
    if (R.Word(0) != header.ID) Raise(Format("Invalid Header Id %d", header.ID));
    header.Flags = R.Word(2);
    switch (header.RCode()) {
    case 0: break;
    case 1: Raise("DNS Server Reports Query Format Error");
    case 2: Raise("DNS Server Reports Query Server Error");
    case 3: Raise("DNS Server Reports Query Name Error");
    case 4: Raise("DNS Server Reports Query Not Implemented Error");
    case 5: Raise("DNS Server Reports Query Refused Error");
    default: Raise("Server Returned Unknown Error");
    }
    if (length < kHeaderSize) Raise(Format("Received Packet is too small. Less than 12 bytes %d", 29));
    header.QDCount = R.Word(4);
    header.ANCount = R.Word(6);
    header.NSCount = R.Word(8);
    header.ARCount = R.Word(10);
    if (length < M.QueryLength) Raise(Format("Received Packet is too small. Less than 12 bytes %d", 30));

    Pos = kHeaderSize;
    ReadQuestions();
    if (R.Remaining(Pos) <= 1 && (header.ANCount > 0 || header.NSCount > 0 || header.ARCount > 0))
        RaiseTooSmall(31);
    if (header.ANCount > 0) ReadRecords(header.ANCount, M.Answers);
    if (R.Remaining(Pos) <= 1 && (header.NSCount > 0 || header.ARCount > 0)) RaiseTooSmall(32);
    if (header.NSCount > 0) ReadRecords(header.NSCount, M.Authority);
    if (R.Remaining(Pos) <= 1 && header.ARCount > 0) RaiseTooSmall(33);
    if (header.ARCount > 0) ReadRecords(header.ARCount, M.Additional);
}

void TIdDNSReplyDecoder::ReadQuestions() {
    for (uint16_t i = 0; i < M.DNSHeader.QDCount; ++i) {
        TQuestionItem& question = M.Questions.Add();
        question.QName = R.DecodeName(Pos);
        if (R.Remaining(Pos) < 1) RaisePacketSize(4);
        question.QType = R.Word(Pos);
        Pos += 2;
        if (R.Remaining(Pos) < 1) RaisePacketSize(5);
        question.QClass = R.Word(Pos);
        if (R.Remaining(Pos) < 2) RaisePacketSize(6);
        Pos += 2;
    }
}

void TIdDNSReplyDecoder::ReadRecords(uint16_t count, TIdDNSResourceList& list) {
    constexpr int64_t kFixedPart = 10;  // type, class, TTL, data length
    // Room for the records that can fit in what remains, whatever the count announces.
    list.Reserve(static_cast<int32_t>(
        std::min<int64_t>(count, std::max<int64_t>(R.Remaining(Pos), 0) / (kFixedPart + 1) + 1)));
    for (uint16_t i = 0; i < count; ++i) {
        TIdDNSResourceItem& item = list.Add();
        item.OwnerName = R.DecodeName(Pos);
        if (R.Remaining(Pos) < kFixedPart + 1) RaisePacketSize(23);
        item.RecordType = R.Word(Pos);
        item.RecordClass = R.Word(Pos + 2);
        item.TTL = R.Long(Pos + 4);
        item.DataLength = R.Word(Pos + 8);
        const int64_t start = Pos + kFixedPart;
        if (start + item.DataLength > R.Length()) RaisePacketSize(23);
        item.DataStart = static_cast<int32_t>(start);
        ReadRecordData(item, start);
        Pos = start + item.DataLength;
        if (R.Remaining(Pos) <= 1) break;
    }
}

void TIdDNSReplyDecoder::ReadRecordData(TIdDNSResourceItem& item, int64_t start) {
    TRdata& data = item.RData;
    int64_t at = start;
    switch (item.RecordType) {
    case TypeA: {
        if (R.Remaining(at) < 4) RaisePacketSize(7);
        data.HostAddress = DottedQuad(R.Byte(at), R.Byte(at + 1), R.Byte(at + 2), R.Byte(at + 3));
        break;
    }
    case TypeNS: case TypeCNAME: case TypeMB: case TypeMG: case TypeMR: case TypePTR:
        data.DomainName = R.DecodeName(at);
        if (at > R.Length()) RaisePacketSize(8);
        break;
    case TypeSOA:
        data.SOA.MName = Cut255(R.DecodeName(at));
        if (R.Remaining(at) < 1) RaisePacketSize(9);
        data.SOA.RName = Cut255(R.DecodeName(at));
        if (R.Remaining(at) < 5) RaisePacketSize(10);
        data.SOA.Serial = R.Long(at);
        at += 4;
        if (R.Remaining(at) < 5) RaisePacketSize(11);
        data.SOA.Refresh = R.Long(at);
        at += 4;
        if (R.Remaining(at) < 5) RaisePacketSize(12);
        data.SOA.Retry = R.Long(at);
        at += 4;
        if (R.Remaining(at) < 5) RaisePacketSize(13);
        data.SOA.Expire = R.Long(at);
        at += 4;
        if (R.Remaining(at) < 4) RaisePacketSize(14);
        data.SOA.Minimum = R.Long(at);
        break;
    case TypeWKS:
        if (R.Remaining(at) < 5) RaisePacketSize(15);
        data.WKS.Address = R.Long(at);
        data.WKS.Protocol = R.Byte(at + 4);
        at += 5;
        if (R.Remaining(at) < 8) RaisePacketSize(16);
        for (size_t i = 0; i < data.WKS.Bitmap.size(); ++i)
            data.WKS.Bitmap[i] = R.Byte(at + static_cast<int64_t>(i));
        break;
    case TypeHINFO: {
        // The CPU text must leave room for the OS text's length byte; the OS text may end
        // the reply (the synthesized answer to ANY does, with an empty OS text).
        if (R.Remaining(at) < R.Byte(at) + 2) RaisePacketSize(17);
        data.HInfo.CPU = CountedText(at);
        at += 1 + R.Byte(at);
        if (R.Remaining(at) < R.Byte(at) + 1) RaisePacketSize(18);
        data.HInfo.OS = CountedText(at);
        break;
    }
    case TypeMINFO: {
        data.MInfo.RMailBox = Cut255(R.DecodeName(at));
        if (R.Remaining(at) < 1) RaisePacketSize(19);
        const int64_t second = at;
        data.MInfo.EMailBox = Cut255(R.DecodeName(at));
        if (!NameEndsWithin(R, second)) RaisePacketSize(20);  // the second name may end the reply
        break;
    }
    case TypeMX: {
        if (R.Remaining(at) < 3) RaisePacketSize(21);
        data.MX.Preference = R.Word(at);
        at += 2;
        // The check above leaves at least one byte, enough to start the exchange: the root
        // (null MX) or a pointer may end the reply; only an exchange running past it fails.
        const int64_t exchange = at;
        data.MX.Exchange = Cut255(R.DecodeName(at));
        if (!NameEndsWithin(R, exchange)) RaisePacketSize(22);
        break;
    }
    case TypeNULL: case TypeTXT: case TypeAXFR: case TypeANY:
        item.RawData = std::string(R.Bytes(start, item.DataLength));
        break;
    case TypeMD: Raise(kMdObsolete);
    case TypeMF: Raise(kMfObsolete);
    case TypeMAILB: Raise(kMailBNotImplemented);
    case TypeMAILA: Raise(kMailAObsolete);
    default: break;  // kept with its header fields only
    }
}
