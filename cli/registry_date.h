#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Dates as registries write them, read without guessing: a form that could mean two days
// (01/02/2026) or a zone that cannot be read gives nothing.

// Seconds since 1970-01-01 UTC. Forms: 2026-12-01, 2026.12.01, 2026/12/01, 20261201,
// 01-Dec-2026, 01 Dec 2026, 01.12.2026, 1.12.2026, "2026. 12. 01."; the date may go on
// with a time (T or blanks, then HH:MM[:SS[.fraction]]) and a zone (Z, UTC, GMT,
// +HH:MM, +HHMM, +HH, "(UTC+8)"). No zone is UTC.
std::optional<int64_t> ReadRegistryDate(std::string_view text);

// "2026-12-01T00:00:00Z".
std::string IsoUtc(int64_t seconds);

// Whole days from `now` to `then`, rounded towards the past (-1 a second after expiry).
int64_t DaysBetween(int64_t now, int64_t then);
