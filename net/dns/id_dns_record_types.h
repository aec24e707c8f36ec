#pragma once
#include <cstdint>

// Record and question types the codec treats by number.
enum : uint16_t {
    TypeA = 1, TypeNS = 2, TypeMD = 3, TypeMF = 4, TypeCNAME = 5, TypeSOA = 6, TypeMB = 7,
    TypeMG = 8, TypeMR = 9, TypeNULL = 10, TypeWKS = 11, TypePTR = 12, TypeHINFO = 13,
    TypeMINFO = 14, TypeMX = 15, TypeTXT = 16, TypeAXFR = 252, TypeMAILB = 253,
    TypeMAILA = 254, TypeANY = 255,
};

// The obsolete types, refused in a question and in a record alike.
inline constexpr const char* kMdObsolete = "MD is an Obsolete Command. Use MX.";
inline constexpr const char* kMfObsolete = "MF is an Obsolete Command. USE MX.";
inline constexpr const char* kMailAObsolete = "MailA is an Obsolete Command. USE MX.";
inline constexpr const char* kMailBNotImplemented = "-Err 501 MailB is not implemented";
