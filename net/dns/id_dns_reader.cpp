#include "net/dns/id_dns_reader.h"

#include "net/dns/id_dns_resolver_error.h"
#include "runtime/text.h"

namespace {
constexpr uint8_t kLongestLabel = 63;
constexpr uint8_t kPointerOffsetBits = 0x3F;

[[noreturn]] void RaisePacketSize(int check) {
    throw EIdDnsResolverError(Format("Invalid Packet Size %d", check));
}
}  // namespace

std::string_view TIdDNSReader::Bytes(int64_t position, int64_t count) const {
    if (position < 0 || count < 0 || count > Remaining(position)) {
        FReadPastEnd = true;
        return {};
    }
    return FData.substr(static_cast<size_t>(position), static_cast<size_t>(count));
}

std::string TIdDNSReader::DecodeName(int64_t& position) const {
    const int64_t length = Length();
    std::string name;
    int64_t resume = -1;
    int pointers = 0;
    int64_t at = position;
    for (;;) {
        const uint8_t first = Byte(at);
        if (first > kLongestLabel) {
            if (++pointers > kMaxNamePointers)
                throw EIdDnsResolverError(
                    Format("Invalid domain name: more than %d compression pointers", kMaxNamePointers));
            if (resume < 0) resume = at + 2;
            at = (first & kPointerOffsetBits) * 256 + Byte(at + 1);
        }
        if (at >= length) RaisePacketSize(2);
        // After a pointer this byte is a length whatever its value.
        const uint8_t count = Byte(at);
        if (count == 0) break;
        if (at + 1 + count > length) RaisePacketSize(3);
        if (name.size() + count + 1 > kMaxNameText)
            throw EIdDnsResolverError(
                Format("Invalid domain name: longer than %d characters", static_cast<int>(kMaxNameText)));
        name.append(Bytes(at + 1, count));
        name.push_back('.');
        at += 1 + count;
        if (at >= length - 1 || Byte(at) == 0) break;
    }
    if (!name.empty()) name.pop_back();
    position = resume >= 0 ? resume : at + 1;
    return name;
}
