#include "cli/dns_listing.h"

#include "cli/record_types.h"
#include "net/dns/id_dns_message.h"
#include "net/dns/id_dns_record_types.h"
#include "runtime/text.h"

#include <vector>

namespace {

constexpr char kSeparator = '\t';
constexpr std::string_view kLineBreak = "\r\n";

std::string DottedQuad(uint32_t address)
{
    return Format("%u.%u.%u.%u", (address >> 24) & 0xFF, (address >> 16) & 0xFF, (address >> 8) & 0xFF,
                  address & 0xFF);
}

// A decoded name; the root, which decodes to nothing, is written ".".
std::string NameField(const std::string& name) { return name.empty() ? "." : EscapeField(name); }

// The record's data as it came in the reply, for the types the decoder does not read.
std::string UndecodedData(const TIdDNSResourceItem& record, std::string_view reply)
{
    const auto start = static_cast<size_t>(record.DataStart);
    if (record.DataStart < 0 || start > reply.size() || reply.size() - start < record.DataLength)
        return "[" + std::to_string(record.DataLength) + " octets]";
    return HexBytes(reply.substr(start, record.DataLength));
}

// The fields of the record's own data, already made safe.
std::vector<std::string> DataFields(const TIdDNSResourceItem& record, std::string_view reply)
{
    const TRdata& data = record.RData;
    switch (record.RecordType) {
    case TypeA: return {data.HostAddress};
    case TypeNS:
    case TypeCNAME:
    case TypeMB:
    case TypeMG:
    case TypeMR:
    case TypePTR: return {NameField(data.DomainName)};
    case TypeSOA:
        return {NameField(data.SOA.MName),        NameField(data.SOA.RName),     std::to_string(data.SOA.Serial),
                std::to_string(data.SOA.Refresh), std::to_string(data.SOA.Retry), std::to_string(data.SOA.Expire),
                std::to_string(data.SOA.Minimum)};
    case TypeWKS:
        return {DottedQuad(data.WKS.Address), std::to_string(data.WKS.Protocol),
                HexBytes(std::string_view(reinterpret_cast<const char*>(data.WKS.Bitmap.data()),
                                          data.WKS.Bitmap.size()))};
    case TypeHINFO: return {EscapeField(data.HInfo.CPU), EscapeField(data.HInfo.OS)};
    case TypeMINFO: return {NameField(data.MInfo.RMailBox), NameField(data.MInfo.EMailBox)};
    case TypeMX: return {std::to_string(data.MX.Preference), NameField(data.MX.Exchange)};
    case TypeNULL:
    case TypeTXT:
    case TypeAXFR:
    case TypeANY: return {HexBytes(record.RawData)};
    default: return {UndecodedData(record, reply)};
    }
}

void AppendSection(std::string& out, std::string_view section, const TIdDNSResourceList& records,
                   std::string_view reply)
{
    for (int32_t i = 0; i < records.Count(); ++i) out += RecordLine(section, records[i], reply);
}

}  // namespace

std::string EscapeField(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '\\')
            out += Format("\\%03u", byte);
        else
            out += c;
    }
    return out;
}

std::string HexBytes(std::string_view bytes)
{
    if (bytes.empty()) return "-";
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        out += kDigits[byte >> 4];
        out += kDigits[byte & 0x0F];
    }
    return out;
}

std::string HeaderLine(const TIdDNSHeader& header)
{
    return Format("ID %u\tFlags 0x%04x\tQD %u\tAN %u\tNS %u\tAR %u", header.ID, header.Flags, header.QDCount,
                  header.ANCount, header.NSCount, header.ARCount) +
           std::string(kLineBreak);
}

std::string RecordLine(std::string_view section, const TIdDNSResourceItem& record, std::string_view reply)
{
    std::string line(section);
    for (const std::string& field : {NameField(record.OwnerName), std::to_string(record.TTL),
                                     RecordClassName(record.RecordClass), RecordTypeName(record.RecordType)}) {
        line += kSeparator;
        line += field;
    }
    for (const std::string& field : DataFields(record, reply)) {
        line += kSeparator;
        line += field;
    }
    return line + std::string(kLineBreak);
}

std::string DnsListing(const TIdDNSMessage& reply, std::string_view transport)
{
    std::string out = HeaderLine(reply.DNSHeader);
    if (!transport.empty()) out.insert(out.size() - kLineBreak.size(), std::string(1, kSeparator) + std::string(transport));
    AppendSection(out, "AN", reply.Answers, reply.ReplyPacket);
    AppendSection(out, "NS", reply.Authority, reply.ReplyPacket);
    AppendSection(out, "AR", reply.Additional, reply.ReplyPacket);
    return out;
}
