#pragma once
#include <nlohmann/json.hpp>

#include <string>
#include <string_view>

// What the bootstrap files (RFC 9224) for domains, addresses and AS numbers share.
namespace rdap_bootstrap {

// The parsed file: a JSON object whose "services" is a list of pairs of lists. Raises
// ERdapBootstrapError saying what is wrong otherwise.
nlohmann::json Parse(std::string_view text);
[[noreturn]] void Damaged(const std::string& why);
// The first https URL of a service, made to end with "/"; "" when it has none: requests
// go over https alone.
std::string HttpsBase(const nlohmann::json& urls);
// The file's "publication" member, as written ("" when absent).
std::string Publication(const nlohmann::json& root);
// Small letters for ASCII capitals, every other byte as it is.
std::string AsciiLower(std::string_view text);

}  // namespace rdap_bootstrap
