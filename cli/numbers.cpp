#include "cli/numbers.h"

std::optional<uint32_t> ParseDecimal(std::string_view text, uint32_t max)
{
    if (text.empty()) return std::nullopt;
    uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - '0');
        // Checked at every digit, so a long run of digits cannot overflow.
        if (value > max) return std::nullopt;
    }
    return static_cast<uint32_t>(value);
}
