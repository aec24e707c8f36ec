#pragma once
#include "app/results_file.h"
#include "cli/name_result.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A name's result as scripts read it. `now` (seconds since 1970 UTC) gives the days left.

// One JSON object on one line, ended by LF (docs/norvane-cli-lookup.schema.json).
std::string JsonLine(const TNameResult& result, int64_t now);

// The CSV header and one row (RFC 4180: CR LF, fields quoted when they must be).
std::string CsvHeader();
std::string CsvRow(const TNameResult& result, int64_t now);
// One field, quoted when it holds a comma or a quote, quotes doubled; control characters
// (line breaks included) written "\u001b" as JSON does.
std::string CsvField(std::string_view text);

// The results tree's lines (Windows-1252) as nested {"title", "children"} objects.
nlohmann::json TreeJson(const std::vector<TTreeLine>& lines);

// Any value as one line of JSON, control characters escaped, invalid UTF-8 replaced.
std::string CompactJson(const nlohmann::json& value);
