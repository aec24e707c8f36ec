#pragma once
#include <string>
#include <string_view>

class TIdDNSHeader;
class TIdDNSMessage;
struct TIdDNSResourceItem;

// A decoded DNS reply as text, one line each (Windows-1252 bytes, CR LF), fields
// separated by TABs.

// "ID 4242<TAB>Flags 0x8580<TAB>QD 1<TAB>AN 2<TAB>NS 0<TAB>AR 1"
std::string HeaderLine(const TIdDNSHeader& header);

// section, owner (the root written "."), TTL, class, type, then the fields of the record's type: the name of
// NS, CNAME, MB, MG, MR, PTR; the address of A; MX preference and exchange; SOA MName,
// RName, serial, refresh, retry, expire, minimum; HINFO CPU and OS; MINFO RMailBox and
// EMailBox; WKS address, protocol and bit map in hexadecimal; the data in hexadecimal
// for NULL, TXT, AXFR and ANY; for a type the decoder does not read, its data in
// hexadecimal as it stands in `reply` ("[N octets]" when the reply is not at hand).
std::string RecordLine(std::string_view section, const TIdDNSResourceItem& record, std::string_view reply = {});

// The header line, then the answer (AN), authority (NS) and additional (AR) records.
// A transport that is not empty ends the header line, after a TAB.
std::string DnsListing(const TIdDNSMessage& reply, std::string_view transport = {});

// A name or text from the wire made safe for one line: a control character (TAB and
// line breaks included), DEL and "\" become "\" and three decimal digits.
std::string EscapeField(std::string_view text);

// Bytes as lower-case hexadecimal, two digits each; "-" for none.
std::string HexBytes(std::string_view bytes);
