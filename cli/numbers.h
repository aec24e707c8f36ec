#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

// A number on the command line: decimal digits only (no sign, no blank), at most `max`.
std::optional<uint32_t> ParseDecimal(std::string_view text, uint32_t max);
