#include "net/dns/id_dns_header.h"

#include <chrono>

namespace {
constexpr uint16_t kFlagQR = 0x8000;
constexpr uint16_t kFlagRD = 0x0100;
constexpr uint16_t kOpcodeMask = 0x7800;
constexpr int kOpcodeShift = 11;
constexpr uint16_t kMaxInitialId = 9999;
constexpr uint16_t kMaxQueryId = 61999;

uint16_t Draw(std::minstd_rand& random, uint16_t highest) {
    return static_cast<uint16_t>(std::uniform_int_distribution<int>(0, highest)(random));
}
}  // namespace

TIdDNSHeader::TIdDNSHeader()
    : FRandom(static_cast<std::minstd_rand::result_type>(
          std::chrono::steady_clock::now().time_since_epoch().count() ^
          reinterpret_cast<uintptr_t>(this))) {
    ID = Draw(FRandom, kMaxInitialId);
}

void TIdDNSHeader::Reset() {
    Flags = 0;
    QDCount = 0;
    ANCount = 0;
    NSCount = 0;
    ARCount = 0;
}

void TIdDNSHeader::SetQR(bool value) {
    Flags = value ? (Flags | kFlagQR) : (Flags & ~kFlagQR);
}

void TIdDNSHeader::SetOpcode(uint16_t opcode) {
    Flags = static_cast<uint16_t>((Flags & ~kOpcodeMask) | ((opcode & 0x000F) << kOpcodeShift));
}

void TIdDNSHeader::SetRD(bool value) {
    Flags = value ? (Flags | kFlagRD) : (Flags & ~kFlagRD);
}

uint16_t TIdDNSHeader::NextQueryId() {
    return Draw(FRandom, kMaxQueryId);
}
