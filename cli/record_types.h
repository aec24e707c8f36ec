#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Names of the DNS record types and classes as the command line reads and prints them.

// A type given by name (A NS MD MF CNAME SOA MB MG MR NULL WKS PTR HINFO MINFO MX TXT
// AXFR MAILB MAILA ANY, letter case ignored) or by decimal number 0 to 65535.
std::optional<uint16_t> ParseRecordType(std::string_view text);

// The type's name, or "TYPE" and its number for a type without one.
std::string RecordTypeName(uint16_t type);

// "IN", "CS", "CH", "HS", "ANY", or "CLASS" and the number.
std::string RecordClassName(uint16_t recordClass);
