#pragma once
#include <nlohmann/json.hpp>

#include <string>
#include <string_view>

// Reading members of outside JSON whose shape nobody promises: a member of the wrong type
// reads as absent, never as an exception.
namespace rdap_json {

using nlohmann::json;

// The member as a string; "" when absent or not a string.
std::string Text(const json& object, const char* name);
// The member itself, null when absent: read in place, since copying a value a hostile
// server nested deep enough would recurse past the stack.
const json& Member(const json& object, const char* name);
// The member when it is an array, an empty array otherwise.
const json& List(const json& object, const char* name);
// A string, or an integer written in decimal; "" for anything else.
std::string Scalar(const json& value);
// Whether the array `roles` of an entity holds `role`.
bool HasRole(const json& entity, std::string_view role);
// The text as it may be shown: valid UTF-8 (a parsed document's strings are), with every
// control character (C0, DEL, C1, line and paragraph separators) written as \uXXXX so
// that it can neither break a line nor reach a terminal.
std::string Clean(std::string_view text);

}  // namespace rdap_json
