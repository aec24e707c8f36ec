#include "rdap/bootstrap_file.h"

#include "rdap/rdap_error.h"

namespace rdap_bootstrap {

using nlohmann::json;

void Damaged(const std::string& why) { throw ERdapBootstrapError("not an RDAP bootstrap file: " + why); }

json Parse(std::string_view text)
{
    json root = json::parse(text.begin(), text.end(), nullptr, false);
    if (root.is_discarded()) Damaged("malformed JSON");
    if (!root.is_object()) Damaged("no JSON object");
    const auto services = root.find("services");
    if (services == root.end() || !services->is_array()) Damaged("no \"services\" list");
    for (const json& service : *services)
        if (!service.is_array() || service.size() < 2 || !service[0].is_array() || !service[1].is_array())
            Damaged("a service is not a pair of lists");
    return root;
}

std::string AsciiLower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

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

std::string Publication(const json& root)
{
    const auto publication = root.find("publication");
    return publication != root.end() && publication->is_string() ? publication->get<std::string>() : "";
}

}  // namespace rdap_bootstrap
