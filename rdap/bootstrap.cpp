#include "rdap/bootstrap.h"

#include "rdap/bootstrap_file.h"

using nlohmann::json;
using rdap_bootstrap::AsciiLower;

void TRdapBootstrap::Clear()
{
    FBases.clear();
    FPublication.clear();
}

void TRdapBootstrap::Override(const TRdapBootstrap& overrides)
{
    for (const auto& [extension, base] : overrides.FBases) FBases.insert_or_assign(extension, base);
}

void TRdapBootstrap::Load(std::string_view text)
{
    Clear();
    const json root = rdap_bootstrap::Parse(text);
    std::unordered_map<std::string, std::string> bases;
    for (const json& service : root.at("services")) {
        const std::string base = rdap_bootstrap::HttpsBase(service[1]);
        for (const json& extension : service[0]) {
            if (!extension.is_string()) rdap_bootstrap::Damaged("an extension is not a string");
            if (!base.empty()) bases.emplace(AsciiLower(extension.get<std::string>()), base);
        }
    }
    FPublication = rdap_bootstrap::Publication(root);
    FBases = std::move(bases);
}

std::string TRdapBootstrap::BaseUrlFor(std::string_view extension) const
{
    const auto found = FBases.find(AsciiLower(extension));
    return found == FBases.end() ? std::string() : found->second;
}
