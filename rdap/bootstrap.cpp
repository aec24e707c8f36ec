#include "rdap/bootstrap.h"

#include "rdap/rdap_error.h"

#include <nlohmann/json.hpp>

namespace {

using nlohmann::json;

std::string AsciiLower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

// The first https URL of a service, made to end with "/"; "" when it has none.
std::string HttpsBase(const json& urls)
{
    for (const json& url : urls) {
        if (!url.is_string()) continue;
        std::string text = url.get<std::string>();
        if (AsciiLower(text.substr(0, 8)) != "https://" || text.size() <= 8) continue;
        if (text.back() != '/') text += '/';
        return text;
    }
    return {};
}

[[noreturn]] void Damaged(const std::string& why) { throw ERdapBootstrapError("not an RDAP bootstrap file: " + why); }

}  // namespace

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
    const json root = json::parse(text.begin(), text.end(), nullptr, false);
    if (root.is_discarded()) Damaged("malformed JSON");
    if (!root.is_object()) Damaged("no JSON object");
    const auto services = root.find("services");
    if (services == root.end() || !services->is_array()) Damaged("no \"services\" list");
    std::unordered_map<std::string, std::string> bases;
    for (const json& service : *services) {
        if (!service.is_array() || service.size() < 2 || !service[0].is_array() || !service[1].is_array())
            Damaged("a service is not a pair of lists");
        const std::string base = HttpsBase(service[1]);
        for (const json& extension : service[0]) {
            if (!extension.is_string()) Damaged("an extension is not a string");
            if (!base.empty()) bases.emplace(AsciiLower(extension.get<std::string>()), base);
        }
    }
    const auto publication = root.find("publication");
    FPublication = publication != root.end() && publication->is_string() ? publication->get<std::string>() : "";
    FBases = std::move(bases);
}

std::string TRdapBootstrap::BaseUrlFor(std::string_view extension) const
{
    const auto found = FBases.find(AsciiLower(extension));
    return found == FBases.end() ? std::string() : found->second;
}
