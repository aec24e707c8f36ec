#pragma once
#include <cstdint>
#include <random>

// The 16-bit header fields of the message being built, then of the reply just decoded.
class TIdDNSHeader {
public:
    TIdDNSHeader();
    virtual ~TIdDNSHeader() = default;

    uint16_t ANCount = 0;
    uint16_t ARCount = 0;
    uint16_t Flags = 0;
    uint16_t ID = 0;
    uint16_t QDCount = 0;
    uint16_t NSCount = 0;

    // Clears the flags and the four counts; the ID stays.
    virtual void Reset();

    void SetQR(bool value);
    void SetOpcode(uint16_t opcode);
    void SetRD(bool value);
    uint16_t RCode() const { return Flags & 0x000F; }

    // A fresh identifier for a query: 0 to 61999.
    uint16_t NextQueryId();

private:
    std::minstd_rand FRandom;
};
