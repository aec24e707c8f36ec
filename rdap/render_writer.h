#pragma once
#include "rdap/json_access.h"
#include "rdap/redactions.h"

#include <string>
#include <string_view>

// What the renderings of RDAP objects share: the text they write and the members every
// object kind has (events, entities, links, remarks and notices).
namespace rdap_render {

using rdap_json::HasRole;
using rdap_json::json;
using rdap_json::List;
using rdap_json::Member;
using rdap_json::Scalar;
using rdap_json::Text;

// Text in lines ended by CR LF, every piece of the reply cleaned of control characters.
class TWriter {
public:
    // With redactions, a field the registry withheld is said to be (RFC 9537).
    explicit TWriter(TRedactions* redactions = nullptr) : FRedactions(redactions) {}

    // "Label: value"; without a value, "Label: REDACTED" when the registry withheld that
    // field (said once), nothing otherwise.
    void Field(std::string_view label, const std::string& value);
    void Line(std::string_view text);
    // Free text of the registry's: its line breaks (LF, CR LF, CR) are its paragraphs, one
    // line each; a break at the very end opens none, an empty text is an empty line.
    void Paragraphs(std::string_view text);
    void Blank() { Out.append("\r\n"); }
    std::string Out;

private:
    TRedactions* FRedactions;
};

// The date of the object's first event of that action, "" when none.
std::string EventDate(const json& object, std::string_view action);
// The object's first entity with that role, nullptr when none.
const json* EntityWithRole(const json& object, std::string_view role);
// The href of the object's first link of that relation (and media type, when given).
std::string LinkHref(const json& object, std::string_view rel, std::string_view type = {});
// Remarks or notices: each after a blank line, its title, its lines and its links.
void WriteNotes(TWriter& w, const json& notes);
// The last line of a rendering, when the server says when its database was updated.
void WriteDatabaseUpdate(TWriter& w, const json& object);
// The parsed body; raises ERdapError naming the URL when it is no JSON object.
json ParseObject(const std::string& url, std::string_view body);

}  // namespace rdap_render
