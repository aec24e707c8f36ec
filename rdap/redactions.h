#pragma once
#include <nlohmann/json.hpp>

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// What a registry says it withheld (RFC 9537 "redacted"), by the labels of the whois
// layout: "Tech Email" whether the registry calls it "Tech Email" or "Technical Email".
class TRedactions {
public:
    // Reads the object's "redacted" list; entries without a name are left out.
    explicit TRedactions(const nlohmann::json& object);

    // Whether a field of that label was withheld and not yet accounted for; accounts for
    // it either way, so that each label is said once.
    bool Take(std::string_view label);

    struct TEntry {
        std::string Name;    // as the registry wrote it
        std::string Method;  // "removal" when it says none
        bool Taken = false;
    };
    // The entries that no label accounted for.
    std::vector<const TEntry*> Rest() const;

private:
    std::vector<TEntry> FEntries;
    std::unordered_map<std::string, std::vector<size_t>> FByLabel;  // the entries not yet taken
};

// A redacted field's name as the label the whois layout gives it, in lower case
// ("technical phone" gives "tech phone", "administrative contact" "admin name"); other
// names as they are, in lower case.
std::string RedactionLabel(std::string_view name);
