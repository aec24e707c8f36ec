#include "rdap/json_access.h"

#include <cstdio>

namespace rdap_json {

std::string Text(const json& object, const char* name)
{
    if (!object.is_object()) return {};
    const auto found = object.find(name);
    return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

const json& Member(const json& object, const char* name)
{
    static const json null;
    if (!object.is_object()) return null;
    const auto found = object.find(name);
    return found != object.end() ? *found : null;
}

const json& List(const json& object, const char* name)
{
    static const json empty = json::array();
    if (!object.is_object()) return empty;
    const auto found = object.find(name);
    return found != object.end() && found->is_array() ? *found : empty;
}

std::string Scalar(const json& value)
{
    if (value.is_string()) return value.get<std::string>();
    if (value.is_number_unsigned()) return std::to_string(value.get<uint64_t>());
    if (value.is_number_integer()) return std::to_string(value.get<int64_t>());
    return {};
}

bool HasRole(const json& entity, std::string_view role)
{
    for (const json& each : List(entity, "roles"))
        if (each.is_string() && each.get_ref<const std::string&>() == role) return true;
    return false;
}

namespace {

void AppendEscape(std::string& out, unsigned code)
{
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04X", code);
    out += escape;
}

}  // namespace

std::string Clean(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0u;
        const auto third = i + 2 < text.size() ? static_cast<unsigned char>(text[i + 2]) : 0u;
        if (byte < 0x20 || byte == 0x7F) {
            AppendEscape(out, byte);
        } else if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) {
            AppendEscape(out, next);
            ++i;
        } else if (byte == 0xE2 && next == 0x80 && (third == 0xA8 || third == 0xA9)) {
            AppendEscape(out, 0x2000u + third - 0x80u);
            i += 2;
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out;
}

}  // namespace rdap_json
