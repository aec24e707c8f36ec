#include "cli/numbers.h"

#include <string>

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

std::optional<uint32_t> ParseSecondsAsMs(std::string_view text, uint32_t max)
{
    const size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    std::string_view fraction = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    if (point != std::string_view::npos && (fraction.empty() || fraction.size() > 3)) return std::nullopt;
    const std::optional<uint32_t> seconds = ParseDecimal(whole, max / 1000);
    std::string padded(fraction);
    padded.resize(3, '0');
    const std::optional<uint32_t> ms = ParseDecimal(padded, 999);
    if (!seconds || !ms || uint64_t{*seconds} * 1000 + *ms > max) return std::nullopt;
    return *seconds * 1000 + *ms;
}
