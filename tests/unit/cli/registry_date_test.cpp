#include "cli/registry_date.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Dates as registries write them, and what they read as ("" for nothing: never a guess).
TEST(RegistryDate, FormsAndRefusals)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"2026-12-01", "2026-12-01T00:00:00Z"},
        {"2026-12-01T21:00:00Z", "2026-12-01T21:00:00Z"},
        {"2026-12-01T21:00:00.0Z", "2026-12-01T21:00:00Z"},
        {"2026-12-01T21:00:00.33333333333333333333Z", "2026-12-01T21:00:00Z"},
        {"2026-12-01T01:30:00+05:30", "2026-11-30T20:00:00Z"},
        {"2026-12-01 09:00:00 (UTC+8)", "2026-12-01T01:00:00Z"},
        {"2026-12-01T23:00:00-0200", "2026-12-02T01:00:00Z"},
        {"2026-12-01 00:00:00 GMT", "2026-12-01T00:00:00Z"},
        {"2026.12.01 13:00:00", "2026-12-01T13:00:00Z"},
        {"2026/02/28", "2026-02-28T00:00:00Z"},
        {"2026. 12. 01.", "2026-12-01T00:00:00Z"},
        {"20261201", "2026-12-01T00:00:00Z"},
        {"01-Dec-2026", "2026-12-01T00:00:00Z"},
        {"1-december-2026", "2026-12-01T00:00:00Z"},
        {"01 Dec 2026", "2026-12-01T00:00:00Z"},
        {"1.12.2026 00:00:00", "2026-12-01T00:00:00Z"},
        {"2028-02-29", "2028-02-29T00:00:00Z"},
        {"1969-12-31T23:59:59Z", "1969-12-31T23:59:59Z"},
        {"01/12/2026", ""},
        {"12/01/2026", ""},
        {"2026-02-29", ""},
        {"2026-13-01", ""},
        {"2026-12-01 25:00", ""},
        {"2026-12-01 09:00:00 CLST", ""},
        {"2026-12-01 before noon", ""},
        {"01-Foo-2026", ""},
        {"1000-01-01T00:00:00+01:00", ""},
        {"", ""},
        {"n/a", ""},
    };
    for (const auto& [text, iso] : cases) {
        const std::optional<int64_t> read = ReadRegistryDate(text);
        EXPECT_EQ(iso, read ? IsoUtc(*read) : "") << text;
    }
}

TEST(RegistryDate, DaysLeftRoundTowardsThePast)
{
    const int64_t now = *ReadRegistryDate("2026-12-10T00:00:00Z");
    const std::vector<std::pair<std::string, int64_t>> cases = {
        {"2026-12-10T00:00:00Z", 0}, {"2026-12-10T23:59:59Z", 0}, {"2026-12-11T00:00:00Z", 1},
        {"2026-12-09T23:59:59Z", -1}, {"2026-12-09T00:00:00Z", -1}, {"2026-12-08T23:59:59Z", -2}};
    for (const auto& [date, days] : cases) EXPECT_EQ(days, DaysBetween(now, *ReadRegistryDate(date))) << date;
}

}  // namespace
