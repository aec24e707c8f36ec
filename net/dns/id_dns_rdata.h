#pragma once
#include <array>
#include <cstdint>
#include <string>

// Decoded record data: only the group of the record's type is filled. The texts of the
// groups hold at most 255 bytes; longer names are cut.
struct TRdata {
    std::string DomainName;
    struct {
        std::string CPU;
        std::string OS;
    } HInfo;
    struct {
        std::string EMailBox;
        std::string RMailBox;
    } MInfo;
    struct {
        std::string Exchange;
        uint16_t Preference = 0;
    } MX;
    struct {
        uint32_t Expire = 0;
        uint32_t Minimum = 0;
        std::string MName;
        uint32_t Refresh = 0;
        uint32_t Retry = 0;
        std::string RName;
        uint32_t Serial = 0;
    } SOA;
    struct {
        uint32_t Address = 0;
        std::array<uint8_t, 8> Bitmap{};
        uint8_t Protocol = 0;
    } WKS;
    std::string HostAddress;
};

// Longest text the record groups keep.
inline constexpr size_t kRdataTextMax = 255;
