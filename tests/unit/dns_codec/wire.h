#pragma once
// Builds DNS messages byte by byte for the codec tests.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

class Wire {
public:
    Wire& U8(uint8_t v) { FBytes.push_back(static_cast<char>(v)); return *this; }
    Wire& U16(uint16_t v) { return U8(v >> 8).U8(v & 0xFF); }
    Wire& U32(uint32_t v) { return U16(v >> 16).U16(v & 0xFFFF); }
    Wire& Raw(std::string_view bytes) { FBytes.append(bytes); return *this; }
    Wire& Bytes(std::initializer_list<uint8_t> bytes) {
        for (uint8_t b : bytes) U8(b);
        return *this;
    }
    Wire& Fill(size_t count, uint8_t v = 0) { FBytes.append(count, static_cast<char>(v)); return *this; }
    // Length-prefixed labels and the closing 0 ("" is the root).
    Wire& Name(std::string_view dotted) {
        while (!dotted.empty()) {
            const size_t dot = dotted.find('.');
            const std::string_view label = dotted.substr(0, dot);
            U8(static_cast<uint8_t>(label.size())).Raw(label);
            dotted = dot == std::string_view::npos ? std::string_view() : dotted.substr(dot + 1);
        }
        return U8(0);
    }
    Wire& Pointer(uint16_t offset) { return U16(static_cast<uint16_t>(0xC000 | offset)); }
    Wire& Header(uint16_t id, uint16_t flags, uint16_t qd, uint16_t an, uint16_t ns, uint16_t ar) {
        return U16(id).U16(flags).U16(qd).U16(an).U16(ns).U16(ar);
    }
    // Type, class, TTL and data length of a record.
    Wire& RecordHead(uint16_t type, uint32_t ttl, uint16_t dataLength, uint16_t rclass = 1) {
        return U16(type).U16(rclass).U32(ttl).U16(dataLength);
    }
    // A record with its data, the data length taken from the data.
    Wire& Record(std::string_view owner, uint16_t type, uint32_t ttl, const std::string& data) {
        return Name(owner).RecordHead(type, ttl, static_cast<uint16_t>(data.size())).Raw(data);
    }
    size_t Size() const { return FBytes.size(); }
    const std::string& Str() const { return FBytes; }
    operator std::string() const { return FBytes; }

private:
    std::string FBytes;
};
