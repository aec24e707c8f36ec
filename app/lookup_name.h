#pragma once
#include <optional>
#include <string>
#include <string_view>

// What the name field (UTF-8) becomes before anything goes on the network.

// A name for a lookup: trimmed, in its ASCII form, trimmed again (a pasted no-break space
// becomes a blank in the conversion). Empty when it does not convert or still holds a
// control character (codes 0-31 and 127): a CR or LF would start a second query line.
std::optional<std::string> LookupName(std::string_view typed);

// A whois query typed by hand is free text: a domain name goes out in its ASCII form,
// anything else (a person's name, say) as typed, in Windows-1252. Empty when it holds a
// control character once trimmed.
std::optional<std::string> ByHandQuery(std::string_view typed);
