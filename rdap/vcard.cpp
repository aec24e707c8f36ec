#include "rdap/vcard.h"

#include "rdap/json_access.h"

namespace {

using rdap_json::json;
using rdap_json::Scalar;

// A value made of strings, or of lists of strings (a street on several lines), joined;
// nesting deeper than that is not a jCard value and is left out.
std::string JoinedAt(const json& value, int depth)
{
    if (!value.is_array()) return Scalar(value);
    std::string text;
    if (depth == 0) return text;
    for (const json& part : value) {
        const std::string piece = JoinedAt(part, depth - 1);
        if (piece.empty()) continue;
        if (!text.empty()) text += ", ";
        text += piece;
    }
    return text;
}

std::string Joined(const json& value) { return JoinedAt(value, 2); }

bool TypeHas(const json& params, const char* type)
{
    if (!params.is_object()) return false;
    const auto found = params.find("type");
    if (found == params.end()) return false;
    if (found->is_string()) return found->get_ref<const std::string&>() == type;
    for (const json& each : rdap_json::List(params, "type"))
        if (each.is_string() && each.get_ref<const std::string&>() == type) return true;
    return false;
}

// A phone as a "tel:" URI or as text.
std::string PhoneText(const json& value)
{
    std::string text = Scalar(value);
    if (text.rfind("tel:", 0) == 0) text.erase(0, 4);
    return text;
}

void ReadAddress(const json& params, const json& value, TVcard& card)
{
    if (value.is_array() && value.size() >= 7) {
        card.Street = Joined(value[2]);
        card.City = Joined(value[3]);
        card.Region = Joined(value[4]);
        card.PostalCode = Joined(value[5]);
        card.Country = Joined(value[6]);
    }
    if (card.Country.empty()) card.Country = rdap_json::Text(params, "cc");
    if (card.Street.empty()) card.Street = rdap_json::Text(params, "label");
}

}  // namespace

TVcard ReadVcard(const json& entity)
{
    TVcard card;
    const json& vcard = rdap_json::List(entity, "vcardArray");
    if (vcard.size() < 2 || !vcard[1].is_array()) return card;
    for (const json& property : vcard[1]) {
        if (!property.is_array() || property.size() < 4 || !property[0].is_string()) continue;
        const std::string& name = property[0].get_ref<const std::string&>();
        const json& params = property[1];
        const json& value = property[3];
        if (name == "fn" && card.Name.empty())
            card.Name = Joined(value);
        else if (name == "org" && card.Organization.empty())
            card.Organization = Joined(value);
        else if (name == "adr" && card.Street.empty() && card.City.empty())
            ReadAddress(params, value, card);
        else if (name == "email" && card.Email.empty())
            card.Email = Scalar(value);
        else if (name == "tel" && TypeHas(params, "fax") && card.Fax.empty())
            card.Fax = PhoneText(value);
        else if (name == "tel" && !TypeHas(params, "fax") && card.Phone.empty())
            card.Phone = PhoneText(value);
    }
    return card;
}

std::string EntityName(const json& entity)
{
    std::string name = ReadVcard(entity).Name;
    return name.empty() ? rdap_json::Text(entity, "handle") : name;
}
