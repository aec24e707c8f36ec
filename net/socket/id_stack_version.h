#pragma once
#include <cstdint>
#include <string>

// What the platform's socket library reported when the stack started. Nothing reads it
// afterwards; it is kept for completeness of the stack's state.
class TIdStackVersion {
public:
    virtual ~TIdStackVersion() = default;

    uint16_t Version = 0;      // version granted
    uint16_t MaxVersion = 0;   // highest version supported
    int32_t MaxSockets = 0;
    int32_t MaxUdpDg = 0;
    std::string Description;
    std::string SystemStatus;
    std::string VendorInfo;    // left empty
    std::string Name;
};

class TIdStackVersionWinsock : public TIdStackVersion {
public:
    TIdStackVersionWinsock();
};
