#pragma once
#include <nlohmann/json.hpp>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What a script asks of a registration, whichever protocol told it. Dates are seconds
// since 1970 UTC; a date that was absent or could not be read is empty.
struct TRegistration {
    std::string Source;  // "rdap" or "whois"
    std::string Registrar;
    std::optional<int64_t> Created, Updated, Expires;
    std::vector<std::string> Statuses;
    std::vector<std::string> NameServers;
    std::string Dnssec;
    std::string AbuseEmail;
};

// From a whois reply (UTF-8 text) through the tables of labels registries use, the first
// line of each kind winning. Reads any bytes; linear in the text's length.
TRegistration RegistrationFromWhois(std::string_view text);

// From an RDAP domain object; a thin registry's registrar object, when there is one,
// fills what the registry's leaves out.
TRegistration RegistrationFromRdap(const nlohmann::json& registry, const nlohmann::json* registrar = nullptr);

// The reply is a notice that the server has had enough queries, not a registration.
// Returns the notice's line, "" when the reply is none.
std::string RateLimitNotice(std::string_view whoisReply);

// Calls `each` for every line of the text, lines ended by CR LF, LF or CR.
void ForEachLine(std::string_view text, const std::function<void(std::string_view line)>& each);
