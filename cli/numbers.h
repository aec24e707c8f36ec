#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

// A number on the command line: decimal digits only (no sign, no blank), at most `max`.
std::optional<uint32_t> ParseDecimal(std::string_view text, uint32_t max);

// Seconds written "2", "0.05" or "1.5" (at most three decimals), as milliseconds of at
// most max; nothing for anything else.
std::optional<uint32_t> ParseSecondsAsMs(std::string_view text, uint32_t max);
