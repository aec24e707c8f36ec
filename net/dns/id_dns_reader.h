#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// Read access to a received DNS message. Every byte of a reply is read through Byte():
// the byte just past the end reads as 0 (the decoder's checks rely on that), and a read
// further out also gives 0 but is remembered, so tests and the fuzzer can prove that the
// checks keep every read within the reply.
class TIdDNSReader {
public:
    explicit TIdDNSReader(std::string_view message) : FData(message) {}

    int64_t Length() const { return static_cast<int64_t>(FData.size()); }
    // Bytes from position to the end; negative once a name ran past the end.
    int64_t Remaining(int64_t position) const { return Length() - position; }

    uint8_t Byte(int64_t position) const {
        if (position >= 0 && position < Length()) return static_cast<uint8_t>(FData[position]);
        if (position != Length()) FReadPastEnd = true;
        return 0;
    }
    uint16_t Word(int64_t position) const {
        return static_cast<uint16_t>(Byte(position) << 8 | Byte(position + 1));
    }
    uint32_t Long(int64_t position) const {
        return static_cast<uint32_t>(Word(position)) << 16 | Word(position + 2);
    }
    // count bytes from position; the caller has checked that they lie inside.
    std::string_view Bytes(int64_t position, int64_t count) const;

    // Decodes the name at position and moves position past it (past the first
    // compression pointer when one was followed). Raises EIdDnsResolverError.
    std::string DecodeName(int64_t& position) const;

    bool ReadPastEnd() const { return FReadPastEnd; }

private:
    std::string_view FData;
    mutable bool FReadPastEnd = false;
};

// Compression pointers followed in one name before it counts as a loop.
inline constexpr int kMaxNamePointers = 64;
// Longest text one name may decode to; far beyond any real name, but it keeps replies
// full of pointers to long label runs from costing time quadratic in their size.
inline constexpr size_t kMaxNameText = 1024;
