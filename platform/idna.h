#pragma once
#include <optional>
#include <string>
#include <string_view>

// The form a domain name takes on the network. A name made only of ASCII characters is
// returned as it is, byte for byte, letter case included. Any other name (UTF-8) is
// converted by the system's IDNA library (IDNA2008 with the UTS #46 mapping,
// non-transitional, so "Straße.de" gives "xn--strae-oqa.de" and capitals are mapped
// down). Empty when the name cannot be converted: a disallowed character, a label too
// long once converted, bytes that are not UTF-8.
std::optional<std::string> AsciiDomainName(std::string_view name);
