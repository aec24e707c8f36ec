#include "rdap/render_writer.h"

#include "rdap/rdap_error.h"

#include <algorithm>

namespace rdap_render {

void TWriter::Field(std::string_view label, const std::string& value)
{
    const bool redacted = FRedactions != nullptr && FRedactions->Take(label);
    if (value.empty() && !redacted) return;
    Out.append(label).append(": ").append(value.empty() ? "REDACTED" : rdap_json::Clean(value)).append("\r\n");
}

void TWriter::Line(std::string_view text) { Out.append(rdap_json::Clean(text)).append("\r\n"); }

void TWriter::Paragraphs(std::string_view text)
{
    if (text.empty()) Blank();
    while (!text.empty()) {
        const size_t end = std::min(text.find_first_of("\r\n"), text.size());
        Line(text.substr(0, end));
        const size_t breakLength = text.compare(end, 2, "\r\n") == 0 ? 2 : 1;
        text.remove_prefix(std::min(end + breakLength, text.size()));
    }
}

std::string EventDate(const json& object, std::string_view action)
{
    for (const json& event : List(object, "events"))
        if (Text(event, "eventAction") == action) return Text(event, "eventDate");
    return {};
}

const json* EntityWithRole(const json& object, std::string_view role)
{
    for (const json& entity : List(object, "entities"))
        if (HasRole(entity, role)) return &entity;
    return nullptr;
}

std::string LinkHref(const json& object, std::string_view rel, std::string_view type)
{
    for (const json& link : List(object, "links"))
        if (Text(link, "rel") == rel && (type.empty() || Text(link, "type") == type)) return Text(link, "href");
    return {};
}

void WriteNotes(TWriter& w, const json& notes)
{
    for (const json& note : notes) {
        w.Blank();
        if (const std::string title = Text(note, "title"); !title.empty()) w.Line(title);
        for (const json& line : List(note, "description"))
            if (line.is_string()) w.Paragraphs(line.get_ref<const std::string&>());
        for (const json& link : List(note, "links"))
            if (const std::string href = Text(link, "href"); !href.empty()) w.Line(href);
    }
}

void WriteDatabaseUpdate(TWriter& w, const json& object)
{
    const std::string update = EventDate(object, "last update of RDAP database");
    if (update.empty()) return;
    w.Blank();
    w.Line(">>> Last update of RDAP database: " + update + " <<<");
}

json ParseObject(const std::string& url, std::string_view body)
{
    json object = json::parse(body.begin(), body.end(), nullptr, false);
    if (object.is_discarded() || !object.is_object())
        throw ERdapError("RDAP reply from " + url + " is not a JSON object.");
    return object;
}

}  // namespace rdap_render
